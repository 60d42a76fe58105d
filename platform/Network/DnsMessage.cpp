#include "platform/Network/DnsMessage.h"

#include <algorithm>

namespace dns {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kLongestName = 253;
constexpr std::size_t kLongestLabel = 63;
constexpr std::uint16_t kClassIN = 1;
constexpr std::uint16_t kTypeCNAME = 5;
constexpr std::uint16_t kTypeSOA = 6;
constexpr int kRcodeNoError = 0;
constexpr int kRcodeNameError = 3;
// Aliases followed at most; a longer chain is treated as no answer.
constexpr int kLongestAliasChain = 8;

std::uint16_t read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                      static_cast<unsigned char>(bytes[at + 1]));
}

std::uint32_t read32(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint32_t>(read16(bytes, at)) << 16) | read16(bytes, at + 2);
}

void append16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reads a possibly compressed name at `at` into its canonical form and moves `at` past
// it. Compression pointers must point backwards, so that no name can loop.
std::optional<std::string> readName(std::string_view message, std::size_t& at) {
    std::string name;
    std::size_t position = at;
    std::optional<std::size_t> end;
    while (true) {
        if (position >= message.size()) {
            return std::nullopt;
        }
        const auto length = static_cast<unsigned char>(message[position]);
        if ((length & 0xC0) == 0xC0) {
            if (position + 1 >= message.size()) {
                return std::nullopt;
            }
            const std::size_t target = read16(message, position) & 0x3FFF;
            if (target >= position) {
                return std::nullopt;
            }
            if (!end) {
                end = position + 2;
            }
            position = target;
            continue;
        }
        if ((length & 0xC0) != 0 || position + 1 + length > message.size()) {
            return std::nullopt;
        }
        if (length == 0) {
            at = end.value_or(position + 1);
            return name;
        }
        if (!name.empty()) {
            name.push_back('.');
        }
        for (std::size_t i = 0; i < length; ++i) {
            name.push_back(lower(message[position + 1 + i]));
        }
        if (name.size() > kLongestName) {
            return std::nullopt;
        }
        position += 1 + length;
    }
}

struct Record {
    std::string owner;
    std::uint16_t type = 0;
    std::uint16_t recordClass = 0;
    std::uint32_t ttl = 0;
    std::size_t dataStart = 0;
    std::uint16_t dataLength = 0;
};

std::optional<Record> readRecord(std::string_view message, std::size_t& at) {
    Record record;
    auto owner = readName(message, at);
    if (!owner || at + 10 > message.size()) {
        return std::nullopt;
    }
    record.owner = std::move(*owner);
    record.type = read16(message, at);
    record.recordClass = read16(message, at + 2);
    // A TTL with its top bit set is read as 0 (RFC 2181).
    const std::uint32_t ttl = read32(message, at + 4);
    record.ttl = (ttl & 0x80000000u) != 0 ? 0 : ttl;
    record.dataLength = read16(message, at + 8);
    record.dataStart = at + 10;
    if (record.dataStart + record.dataLength > message.size()) {
        return std::nullopt;
    }
    at = record.dataStart + record.dataLength;
    return record;
}

// How long a negative answer may be kept: the SOA record of its authority section,
// bounded by the SOA's own minimum (RFC 2308); 0 without one.
std::uint32_t negativeTtl(std::string_view message, const std::vector<Record>& authority) {
    for (const auto& record : authority) {
        if (record.type != kTypeSOA || record.recordClass != kClassIN) {
            continue;
        }
        std::size_t at = record.dataStart;
        const std::size_t end = record.dataStart + record.dataLength;
        if (!readName(message, at) || !readName(message, at) || at + 20 != end) {
            return 0;
        }
        return std::min(record.ttl, read32(message, at + 16));
    }
    return 0;
}

} // namespace

std::string canonicalForm(std::string_view name) {
    if (name.ends_with('.')) {
        name.remove_suffix(1);
    }
    std::string form(name);
    std::transform(form.begin(), form.end(), form.begin(), lower);
    return form;
}

std::optional<std::string> makeQuery(std::string_view name, RecordType type) {
    const std::string form = canonicalForm(name);
    if (form.empty() || form.size() > kLongestName) {
        return std::nullopt;
    }
    std::string query;
    query.reserve(kHeaderSize + form.size() + 6);
    append16(query, 0);      // ID
    append16(query, 0x0100); // a standard query, recursion desired
    append16(query, 1);      // QDCOUNT
    append16(query, 0);      // ANCOUNT
    append16(query, 0);      // NSCOUNT
    append16(query, 0);      // ARCOUNT
    std::size_t start = 0;
    while (start <= form.size()) {
        const std::size_t dot = std::min(form.find('.', start), form.size());
        const std::size_t length = dot - start;
        if (length == 0 || length > kLongestLabel) {
            return std::nullopt;
        }
        query.push_back(static_cast<char>(length));
        query.append(form, start, length);
        start = dot + 1;
    }
    query.push_back('\0');
    append16(query, static_cast<std::uint16_t>(type));
    append16(query, kClassIN);
    return query;
}

std::optional<Answer> readAnswer(std::string_view message, std::string_view name, RecordType type) {
    if (message.size() < kHeaderSize) {
        return std::nullopt;
    }
    const std::uint16_t flags = read16(message, 2);
    const bool isResponse = (flags & 0x8000) != 0;
    const int opcode = (flags >> 11) & 0xF;
    if (read16(message, 0) != 0 || !isResponse || opcode != 0 || read16(message, 4) != 1) {
        return std::nullopt;
    }
    const std::string asked = canonicalForm(name);
    std::size_t at = kHeaderSize;
    const auto questionName = readName(message, at);
    if (!questionName || *questionName != asked || at + 4 > message.size() ||
        read16(message, at) != static_cast<std::uint16_t>(type) || read16(message, at + 2) != kClassIN) {
        return std::nullopt;
    }
    at += 4;
    std::vector<Record> answers;
    std::vector<Record> authority;
    const std::uint16_t answerCount = read16(message, 6);
    const std::uint16_t authorityCount = read16(message, 8);
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(answerCount) + authorityCount; ++i) {
        auto record = readRecord(message, at);
        if (!record) {
            return std::nullopt;
        }
        (i < answerCount ? answers : authority).push_back(std::move(*record));
    }

    // A failure is the asked name's: it keeps its name, with no alias followed.
    Answer answer;
    answer.canonicalName = asked;
    const int rcode = flags & 0xF;
    if (rcode != kRcodeNoError && rcode != kRcodeNameError) {
        return answer; // failed
    }
    // Follow the aliases from the asked name.
    std::string target = asked;
    std::uint32_t ttl = UINT32_MAX;
    for (int hops = 0;; ++hops) {
        const auto alias = std::find_if(answers.begin(), answers.end(), [&](const Record& record) {
            return record.type == kTypeCNAME && record.recordClass == kClassIN && record.owner == target;
        });
        if (alias == answers.end()) {
            break;
        }
        if (hops == kLongestAliasChain) {
            return answer; // failed
        }
        std::size_t dataAt = alias->dataStart;
        auto next = readName(message, dataAt);
        if (!next || dataAt != alias->dataStart + alias->dataLength) {
            return std::nullopt;
        }
        if (next->empty()) {
            return answer; // failed: an alias to the root name leads to no host
        }
        ttl = std::min(ttl, alias->ttl);
        target = std::move(*next);
    }
    const std::size_t addressLength = type == RecordType::a ? 4 : 16;
    for (const auto& record : answers) {
        if (record.owner != target || record.type != static_cast<std::uint16_t>(type) ||
            record.recordClass != kClassIN || record.dataLength != addressLength) {
            continue;
        }
        Address address;
        address.type = type;
        std::copy_n(message.begin() + static_cast<std::ptrdiff_t>(record.dataStart), addressLength,
                    address.bytes.begin());
        answer.addresses.push_back(address);
        ttl = std::min(ttl, record.ttl);
    }
    answer.canonicalName = target;
    if (!answer.addresses.empty()) {
        answer.outcome = Answer::Outcome::addresses;
        answer.ttlSeconds = ttl;
        return answer;
    }
    answer.outcome = rcode == kRcodeNameError ? Answer::Outcome::noName : Answer::Outcome::noData;
    answer.ttlSeconds = std::min(ttl, negativeTtl(message, authority));
    return answer;
}

} // namespace dns
