#include "app/Network/KKriplogConsole.h"

#include "platform/Foundation/Log.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

namespace {

class ConsoleWriter {
  public:
    using Line = std::variant<std::string, std::shared_ptr<const AFDataResponse>>;

    static ConsoleWriter& shared() {
        static ConsoleWriter writer;
        return writer;
    }

    void add(Line line) {
        bool idle;
        {
            std::lock_guard lock(mutex_);
            idle = !writing_;
            lines_.push_back(std::move(line));
            ++handedOver_;
        }
        // Only a sleeping writer is woken: a writer at work (or lingering after a batch)
        // takes this line up with the next one, so a burst of answers costs the main
        // thread one wake-up, not one per answer.
        if (idle) {
            wake_.notify_one();
        }
    }

    void waitUntilWritten() {
        std::unique_lock lock(mutex_);
        const std::uint64_t target = handedOver_;
        allWritten_.wait(lock, [&] { return written_ >= target; });
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
            writing_ = true;
            do {
                std::deque<Line> batch;
                batch.swap(lines_);
                lock.unlock();
                // Buffered: the batch goes out with one flush.
                std::vector<std::string_view> texts;
                texts.reserve(batch.size());
                for (const Line& line : batch) {
                    if (const auto* text = std::get_if<std::string>(&line)) {
                        texts.emplace_back(*text);
                    } else if (const std::string* body = std::get<1>(line)->value()) {
                        texts.emplace_back(*body);
                    }
                }
                consoleLogLines(texts);
                const std::size_t count = batch.size();
                batch.clear(); // responses are let go off the lock too
                lock.lock();
                written_ += count;
                allWritten_.notify_all();
                // Lines of the same burst gather meanwhile, without waking anyone.
                wake_.wait_for(lock, kLinger, [this] { return stopping_; });
            } while (!lines_.empty());
            writing_ = false;
        }
    }

    // How long the writer waits after a batch for the lines that follow it.
    static constexpr std::chrono::milliseconds kLinger{20};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable allWritten_;
    std::deque<Line> lines_;
    // Lines handed over and lines written so far.
    std::uint64_t handedOver_ = 0;
    std::uint64_t written_ = 0;
    bool stopping_ = false;
    // The writer is writing, or lingering for more lines before it sleeps.
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

void KKriplogConsole::waitUntilWritten() {
    ConsoleWriter::shared().waitUntilWritten();
}
