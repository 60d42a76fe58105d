#include "platform/SJMediaCacheServer/RangeSet.h"

#include <algorithm>
#include <charconv>

namespace mcs {

void RangeSet::add(std::uint64_t start, std::uint64_t stop) {
    if (start >= stop) {
        return;
    }
    auto it = runs_.upper_bound(start);
    if (it != runs_.begin()) {
        auto previous = std::prev(it);
        if (previous->second >= start) {
            start = previous->first;
            stop = std::max(stop, previous->second);
            it = runs_.erase(previous);
        }
    }
    while (it != runs_.end() && it->first <= stop) {
        stop = std::max(stop, it->second);
        it = runs_.erase(it);
    }
    runs_.emplace(start, stop);
}

void RangeSet::truncate(std::uint64_t stop) {
    for (auto it = runs_.lower_bound(stop); it != runs_.end();) {
        it = runs_.erase(it);
    }
    if (!runs_.empty()) {
        auto& last = std::prev(runs_.end())->second;
        last = std::min(last, stop);
    }
}

std::uint64_t RangeSet::contiguousFrom(std::uint64_t offset) const {
    auto it = runs_.upper_bound(offset);
    if (it == runs_.begin()) {
        return 0;
    }
    --it;
    return it->second > offset ? it->second - offset : 0;
}

bool RangeSet::contains(std::uint64_t start, std::uint64_t stop) const {
    return start >= stop || contiguousFrom(start) >= stop - start;
}

bool RangeSet::nextPresent(std::uint64_t offset, std::uint64_t& start) const {
    if (contiguousFrom(offset) > 0) {
        start = offset;
        return true;
    }
    const auto it = runs_.upper_bound(offset);
    if (it == runs_.end()) {
        return false;
    }
    start = it->first;
    return true;
}

bool RangeSet::firstMissing(std::uint64_t start, std::uint64_t stop, std::uint64_t& missing) const {
    if (start >= stop) {
        return false;
    }
    const auto present = contiguousFrom(start);
    if (present >= stop - start) {
        return false;
    }
    missing = start + present;
    return true;
}

std::uint64_t RangeSet::totalBytes() const {
    std::uint64_t total = 0;
    for (const auto& [start, stop] : runs_) {
        total += stop - start;
    }
    return total;
}

std::uint64_t RangeSet::bytesWithin(std::uint64_t start, std::uint64_t stop) const {
    std::uint64_t total = 0;
    for (const auto& [runStart, runStop] : runs_) {
        const auto a = std::max(start, runStart);
        const auto b = std::min(stop, runStop);
        if (a < b) {
            total += b - a;
        }
    }
    return total;
}

std::string RangeSet::serialize() const {
    std::string text;
    for (const auto& [start, stop] : runs_) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(start) + '-' + std::to_string(stop);
    }
    return text;
}

RangeSet RangeSet::deserialize(const std::string& text) {
    RangeSet set;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        std::uint64_t start = 0;
        std::uint64_t stop = 0;
        auto r = std::from_chars(p, end, start);
        if (r.ec != std::errc() || r.ptr == end || *r.ptr != '-') {
            return RangeSet{};
        }
        r = std::from_chars(r.ptr + 1, end, stop);
        if (r.ec != std::errc()) {
            return RangeSet{};
        }
        set.add(start, stop);
        p = r.ptr;
        if (p < end) {
            if (*p != ',') {
                return RangeSet{};
            }
            ++p;
        }
    }
    return set;
}

} // namespace mcs
