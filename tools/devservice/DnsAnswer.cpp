#include "tools/devservice/DnsAnswer.h"

#include <cstdint>

namespace devservice {
namespace {

constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypeAAAA = 28;
constexpr std::uint16_t kClassIN = 1;
constexpr std::uint32_t kAnswerTtl = 60;
constexpr int kRcodeNoError = 0;
constexpr int kRcodeNameError = 3;
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kMaximumNameLength = 255;

std::uint16_t read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                      static_cast<unsigned char>(bytes[at + 1]));
}

void append16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

void append32(std::string& out, std::uint32_t value) {
    append16(out, static_cast<std::uint16_t>(value >> 16));
    append16(out, static_cast<std::uint16_t>(value & 0xFFFF));
}

struct Question {
    std::string name;    // lower case, dot separated, no trailing dot
    std::size_t end = 0; // offset just after QTYPE and QCLASS
    std::uint16_t type = 0;
    std::uint16_t qclass = 0;
};

// Reads the question that follows the header. Compression pointers are not allowed in
// a query's only question.
std::optional<Question> readQuestion(std::string_view message) {
    Question question;
    std::size_t at = kHeaderSize;
    std::size_t wireLength = 0;
    while (true) {
        if (at >= message.size()) {
            return std::nullopt;
        }
        const auto length = static_cast<unsigned char>(message[at]);
        ++at;
        wireLength += 1 + length;
        if (length == 0) {
            break;
        }
        if (length > 63 || at + length > message.size() || wireLength > kMaximumNameLength) {
            return std::nullopt;
        }
        if (!question.name.empty()) {
            question.name.push_back('.');
        }
        for (std::size_t i = 0; i < length; ++i) {
            char c = message[at + i];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            question.name.push_back(c);
        }
        at += length;
    }
    if (at + 4 > message.size()) {
        return std::nullopt;
    }
    question.type = read16(message, at);
    question.qclass = read16(message, at + 2);
    question.end = at + 4;
    return question;
}

bool inServiceZone(std::string_view name) {
    if (name == kServiceZone) {
        return true;
    }
    return name.size() > kServiceZone.size() && name.ends_with(kServiceZone) &&
           name[name.size() - kServiceZone.size() - 1] == '.';
}

// The question of a standard query with exactly one question.
std::optional<Question> readQuery(std::string_view query) {
    if (query.size() < kHeaderSize) {
        return std::nullopt;
    }
    const std::uint16_t flags = read16(query, 2);
    const bool isResponse = (flags & 0x8000) != 0;
    const int opcode = (flags >> 11) & 0xF;
    if (isResponse || opcode != 0 || read16(query, 4) != 1) {
        return std::nullopt;
    }
    return readQuestion(query);
}

} // namespace

std::optional<std::string> queriedName(std::string_view query) {
    auto question = readQuery(query);
    return question ? std::optional<std::string>(std::move(question->name)) : std::nullopt;
}

std::optional<std::string> answerDnsQuery(std::string_view query) {
    const auto question = readQuery(query);
    if (!question) {
        return std::nullopt;
    }
    const std::uint16_t flags = read16(query, 2);

    const bool known = question->qclass == kClassIN && inServiceZone(question->name);
    const bool answersAddress = known && question->type == kTypeA;
    const bool answersEmpty = known && question->type == kTypeAAAA;
    const int rcode = answersAddress || answersEmpty ? kRcodeNoError : kRcodeNameError;

    std::string answer;
    answer.reserve(question->end + 16);
    answer.append(query.substr(0, 2)); // ID
    const std::uint16_t recursionDesired = flags & 0x0100;
    append16(answer,
             static_cast<std::uint16_t>(0x8000 | 0x0400 | recursionDesired | 0x0080 | rcode)); // QR AA RD RA
    append16(answer, 1);                                                                       // QDCOUNT
    append16(answer, answersAddress ? 1 : 0);                                                  // ANCOUNT
    append16(answer, 0);                                                                       // NSCOUNT
    append16(answer, 0);                                                                       // ARCOUNT
    answer.append(query.substr(kHeaderSize, question->end - kHeaderSize));
    if (answersAddress) {
        append16(answer, 0xC000 | kHeaderSize); // the name of the question
        append16(answer, kTypeA);
        append16(answer, kClassIN);
        append32(answer, kAnswerTtl);
        append16(answer, 4);
        answer.append("\x7F\x00\x00\x01", 4);
    }
    return answer;
}

} // namespace devservice
