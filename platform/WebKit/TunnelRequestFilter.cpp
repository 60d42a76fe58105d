#include "platform/WebKit/TunnelRequestFilter.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr std::size_t kLargestHeader = 64 * 1024;
constexpr std::size_t kLongestLine = 4096;

std::string lowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// "METHOD target HTTP/1.x"
bool isRequestLine(std::string_view line) {
    const std::size_t methodEnd = line.find(' ');
    const std::size_t targetEnd = line.rfind(' ');
    return methodEnd != std::string_view::npos && methodEnd > 0 && targetEnd > methodEnd + 1 &&
           std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(methodEnd),
                       [](char c) { return c >= 'A' && c <= 'Z'; }) &&
           (line.substr(targetEnd + 1) == "HTTP/1.1" || line.substr(targetEnd + 1) == "HTTP/1.0");
}

} // namespace

void TunnelRequestFilter::feed(std::string_view in, std::string& out) {
    while (!in.empty() && state_ != State::failed) {
        switch (state_) {
        case State::untouched:
            out.append(in);
            return;
        case State::body:
        case State::chunkData: {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, in.size()));
            out.append(in.substr(0, count));
            in.remove_prefix(count);
            remaining_ -= count;
            if (remaining_ == 0) {
                state_ = state_ == State::body ? State::header : State::chunkEnd;
            }
            break;
        }
        case State::header:
        case State::chunkSize:
        case State::chunkEnd:
        case State::trailer: {
            // Gathered a byte at a time up to the end of the header block or line.
            line_ += in.front();
            in.remove_prefix(1);
            const bool block = state_ == State::header || state_ == State::trailer;
            if (line_.size() > (block ? kLargestHeader : kLongestLine)) {
                state_ = State::failed;
            } else if (state_ == State::header && line_.ends_with("\r\n\r\n")) {
                finishHeader(out);
            } else if (state_ == State::chunkSize && line_.ends_with("\r\n")) {
                finishChunkSize(out);
            } else if (state_ == State::chunkEnd && line_.size() == 2) {
                state_ = line_ == "\r\n" ? State::chunkSize : State::failed;
                out += line_;
                line_.clear();
            } else if (state_ == State::trailer && (line_ == "\r\n" || line_.ends_with("\r\n\r\n"))) {
                out += line_;
                line_.clear();
                state_ = State::header;
            }
            break;
        }
        case State::failed:
            return;
        }
    }
}

void TunnelRequestFilter::finishHeader(std::string& out) {
    std::string header = std::move(line_);
    line_.clear();
    std::string kept;
    bool chunked = false;
    bool upgrade = false;
    std::uint64_t length = 0;
    std::size_t start = 0;
    bool first = true;
    while (start < header.size()) {
        const std::size_t end = header.find("\r\n", start);
        const std::string_view field(header.data() + start, end - start);
        start = end + 2;
        if (first && !isRequestLine(field)) {
            state_ = State::failed;
            return;
        }
        if (first || field.empty()) {
            kept.append(field).append("\r\n");
            first = false;
            continue;
        }
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos) {
            state_ = State::failed;
            return;
        }
        const std::string name = lowered(trimmed(field.substr(0, colon)));
        const std::string_view value = trimmed(field.substr(colon + 1));
        if (name == "proxy-authorization" || name == "proxy-connection") {
            continue;
        }
        if (name == "transfer-encoding") {
            chunked = lowered(value).ends_with("chunked");
        } else if (name == "content-length") {
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (error != std::errc() || end != value.data() + value.size()) {
                state_ = State::failed;
                return;
            }
        } else if (name == "upgrade") {
            upgrade = true;
        }
        kept.append(field).append("\r\n");
    }
    out += kept;
    if (upgrade) {
        state_ = State::untouched;
    } else if (chunked) {
        state_ = State::chunkSize;
    } else if (length > 0) {
        remaining_ = length;
        state_ = State::body;
    } else {
        state_ = State::header;
    }
}

void TunnelRequestFilter::finishChunkSize(std::string& out) {
    const std::string_view size = trimmed(std::string_view(line_).substr(0, line_.find_first_of(";\r")));
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), value, 16);
    if (size.empty() || error != std::errc() || end != size.data() + size.size()) {
        state_ = State::failed;
        return;
    }
    out += line_;
    line_.clear();
    remaining_ = value;
    state_ = value == 0 ? State::trailer : State::chunkData;
}
