#include "app/Network/KKriplogConsole.h"

#include "platform/Foundation/Log.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <variant>

namespace {

class ConsoleWriter {
  public:
    using Line = std::variant<std::string, std::shared_ptr<const AFDataResponse>>;

    static ConsoleWriter& shared() {
        static ConsoleWriter writer;
        return writer;
    }

    void add(Line line) {
        bool wasIdle;
        {
            std::lock_guard lock(mutex_);
            wasIdle = lines_.empty() && !writing_;
            lines_.push_back(std::move(line));
        }
        // A writer at work takes this line up with the rest of its batch, unwoken.
        if (wasIdle) {
            wake_.notify_one();
        }
    }

    ~ConsoleWriter() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

  private:
    ConsoleWriter() : thread_([this] { run(); }) {}

    void run() {
        // The lowest priority: a line handed over never costs the main thread its
        // processor (a woken thread of normal priority would often take it at once); the
        // lines are written when a processor is free.
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [this] { return stopping_ || !lines_.empty(); });
            if (lines_.empty()) {
                return; // stopping, with everything written
            }
            std::deque<Line> batch;
            batch.swap(lines_);
            writing_ = true;
            lock.unlock();
            for (const Line& line : batch) {
                if (const auto* text = std::get_if<std::string>(&line)) {
                    consoleLog(*text);
                } else if (const std::string* body = std::get<1>(line)->value()) {
                    consoleLog(*body);
                }
            }
            batch.clear(); // responses are let go off the lock too
            lock.lock();
            writing_ = false;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Line> lines_;
    bool stopping_ = false;
    // The writer is writing a batch (and looks for more before it sleeps).
    bool writing_ = false;
    std::thread thread_;
};

} // namespace

void KKriplogConsole::write(std::string line) {
    ConsoleWriter::shared().add(std::move(line));
}

void KKriplogConsole::writeBody(std::shared_ptr<const AFDataResponse> response) {
    ConsoleWriter::shared().add(std::move(response));
}
