#include "tools/devservice/ServiceHooks.h"

#include <chrono>
#include <strings.h>

namespace devservice {
namespace {

std::string withoutLeadingSlash(const std::string& path) {
    return path.starts_with('/') ? path.substr(1) : path;
}

bool matches(const std::string& pattern, const std::string& path) {
    if (pattern.ends_with('*')) {
        return path.starts_with(std::string_view(pattern).substr(0, pattern.size() - 1));
    }
    return pattern == path;
}

} // namespace

std::string RecordedRequest::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (::strcasecmp(key.c_str(), name.c_str()) == 0) {
            return value;
        }
    }
    return {};
}

void FaultTable::set(const std::string& pattern, const Fault& fault) {
    std::lock_guard lock(mutex_);
    if (fault.times == 0) {
        faults_.erase(withoutLeadingSlash(pattern));
        return;
    }
    faults_[withoutLeadingSlash(pattern)] = fault;
}

void FaultTable::clear(const std::string& pattern) {
    std::lock_guard lock(mutex_);
    faults_.erase(withoutLeadingSlash(pattern));
}

void FaultTable::clearAll() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<Fault> FaultTable::take(const std::string& path, const FormParameters& parameters) {
    const std::string wanted = withoutLeadingSlash(path);
    std::lock_guard lock(mutex_);
    for (auto entry = faults_.begin(); entry != faults_.end(); ++entry) {
        if (!matches(entry->first, wanted)) {
            continue;
        }
        if (const auto& parameter = entry->second.withParameter) {
            const auto found = parameters.find(parameter->first);
            if (found == parameters.end() || found->second != parameter->second) {
                continue;
            }
        }
        const Fault fault = entry->second;
        if (entry->second.times > 0 && --entry->second.times == 0) {
            faults_.erase(entry);
        }
        return fault;
    }
    return std::nullopt;
}

void RequestLog::add(RecordedRequest request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    while (requests_.size() > capacity_) {
        requests_.pop_front();
    }
}

std::vector<RecordedRequest> RequestLog::all() const {
    std::lock_guard lock(mutex_);
    return {requests_.begin(), requests_.end()};
}

void RequestLog::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool StopSignal::sleep(double seconds) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return raised_; });
}

void StopSignal::raise() {
    {
        std::lock_guard lock(mutex_);
        raised_ = true;
    }
    changed_.notify_all();
}

void StopSignal::reset() {
    std::lock_guard lock(mutex_);
    raised_ = false;
}

void HoldGate::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

void HoldGate::open() {
    std::lock_guard lock(mutex_);
    open_ = true;
}

bool HoldGate::wait(StopSignal& stopping) {
    // A service thread may wait here for long: it looks at the gate every few
    // milliseconds and gives up as soon as the service stops.
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (open_) {
                return true;
            }
        }
        if (!stopping.sleep(0.005)) {
            return false;
        }
    }
}

} // namespace devservice
