#include "app/Network/KKriplogEnvelope.h"

#include "app/Network/KKriplog.h"

#include <simdjson.h>

#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#define ORVEX_ENVELOPE_AVX2 1
#endif

namespace {

// A byte that ends a run of plain text in a JSON string: the closing quote, an escape,
// a control character, or the first byte of a non-ASCII character.
bool endsPlainRun(unsigned char c) {
    return c == '"' || c == '\\' || c < 0x20 || c >= 0x80;
}

std::size_t plainRunLengthScalar(const char* text, std::size_t length, std::size_t from) {
    while (from < length && !endsPlainRun(static_cast<unsigned char>(text[from]))) {
        ++from;
    }
    return from;
}

#if defined(ORVEX_ENVELOPE_AVX2)

bool hasAVX2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

[[gnu::target("avx2")]] inline __m256i plainRunEnds(const char* text) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    // Compared as signed bytes, those from 0x80 on are below the space too.
    return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('"')),
                                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\\'))),
                           _mm256_cmpgt_epi8(_mm256_set1_epi8(0x20), bytes));
}

[[gnu::target("avx2")]] std::size_t plainRunLengthAVX2(const char* text, std::size_t length) {
    std::size_t i = 0;
    // 64 bytes a step while none ends the run (the usual case: a long payload text).
    while (i + 64 <= length &&
           _mm256_testz_si256(_mm256_or_si256(plainRunEnds(text + i), plainRunEnds(text + i + 32)),
                              _mm256_set1_epi8(-1))) {
        i += 64;
    }
    for (; i + 32 <= length; i += 32) {
        const auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(plainRunEnds(text + i)));
        if (mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(mask));
        }
    }
    return plainRunLengthScalar(text, length, i);
}

#endif

// Where the run of plain text from the start of `text` ends (`length` when it does not).
std::size_t plainRunLength(const char* text, std::size_t length) {
#if defined(ORVEX_ENVELOPE_AVX2)
    if (hasAVX2()) {
        return plainRunLengthAVX2(text, length);
    }
#endif
    return plainRunLengthScalar(text, length, 0);
}

// Reads the usual envelope where it lies: an object (white space allowed between its
// parts) of members whose keys are texts without escapes and whose values are such
// texts, integers of at most 18 digits, true, false or null; "code" written as the
// success code, "data" a text that is not empty, each named once. Every body it reads
// is valid JSON that the parser reads alike; for any other (nested values, escapes,
// fractions, ...) it answers nothing and leaves the body to the parser.
class PlainEnvelopeReader {
  public:
    explicit PlainEnvelopeReader(std::string_view body) : body_(body) {}

    std::optional<std::string_view> payloadText() {
        skipWhiteSpace();
        if (!take('{')) {
            return std::nullopt;
        }
        bool codeRead = false;
        std::optional<std::string_view> data;
        do {
            skipWhiteSpace();
            const std::optional<std::string_view> key = readText();
            skipWhiteSpace();
            if (!key || !take(':')) {
                return std::nullopt;
            }
            skipWhiteSpace();
            if (*key == "code") {
                if (codeRead || !takeWord(successCodeText)) {
                    return std::nullopt;
                }
                codeRead = true;
            } else if (*key == "data") {
                if (data || !(data = readText()) || data->empty()) {
                    return std::nullopt;
                }
            } else if (!skipScalar()) {
                return std::nullopt;
            }
            skipWhiteSpace();
        } while (take(','));
        if (!take('}')) {
            return std::nullopt;
        }
        skipWhiteSpace();
        if (at_ != body_.size() || !codeRead || !data) {
            return std::nullopt;
        }
        return data;
    }

  private:
    static constexpr std::string_view successCodeText = "20000";
    static_assert(KKriplog::successCode == 20000);
    static constexpr std::size_t maxIntegerDigits = 18;

    bool atEnd() const { return at_ == body_.size(); }
    char peek() const { return body_[at_]; }

    void skipWhiteSpace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\n' || peek() == '\r' || peek() == '\t')) {
            ++at_;
        }
    }

    bool take(char c) {
        if (atEnd() || peek() != c) {
            return false;
        }
        ++at_;
        return true;
    }

    // A word ends where the value ends: whatever follows must be a separator, which the
    // member loop checks.
    bool takeWord(std::string_view word) {
        if (body_.substr(at_, word.size()) != word) {
            return false;
        }
        at_ += word.size();
        return true;
    }

    // A text without escapes or control characters, whose non-ASCII bytes are UTF-8.
    std::optional<std::string_view> readText() {
        if (!take('"')) {
            return std::nullopt;
        }
        const std::size_t start = at_;
        std::size_t end = start + plainRunLength(body_.data() + start, body_.size() - start);
        bool ascii = true;
        while (end < body_.size() && static_cast<unsigned char>(body_[end]) >= 0x80) {
            ascii = false;
            end = plainRunLengthScalar(body_.data(), body_.size(), end + 1);
        }
        if (end == body_.size() || body_[end] != '"') {
            return std::nullopt;
        }
        const std::string_view text = body_.substr(start, end - start);
        if (!ascii && !simdjson::validate_utf8(text.data(), text.size())) {
            return std::nullopt;
        }
        at_ = end + 1;
        return text;
    }

    bool skipScalar() {
        if (atEnd()) {
            return false;
        }
        switch (peek()) {
        case '"':
            return readText().has_value();
        case 't':
            return takeWord("true");
        case 'f':
            return takeWord("false");
        case 'n':
            return takeWord("null");
        default:
            return skipInteger();
        }
    }

    // -?(0|[1-9][0-9]*), with at most 18 digits so that it fits any integer type. A
    // digit after the first "0", or after the last one taken, is left for the member
    // loop to refuse.
    bool skipInteger() {
        take('-');
        if (take('0')) {
            return true;
        }
        std::size_t digits = 0;
        while (digits < maxIntegerDigits && !atEnd() && peek() >= '0' && peek() <= '9') {
            ++at_;
            ++digits;
        }
        return digits > 0;
    }

    std::string_view body_;
    std::size_t at_ = 0;
};

// Any other body: parsed, then read field by field.
std::optional<std::string_view> parsedPayloadText(const std::string& body) {
    // Main thread only, like the client: its buffers are kept from answer to answer.
    static simdjson::dom::parser parser;
    simdjson::dom::object envelope;
    if (parser.parse(body).get(envelope) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::int64_t> code;
    std::optional<std::string_view> text;
    for (const simdjson::dom::key_value_pair field : envelope) {
        if (field.key == "code") {
            std::int64_t value = 0;
            if (code || field.value.get_int64().get(value) != simdjson::SUCCESS) {
                return std::nullopt;
            }
            code = value;
        } else if (field.key == "data") {
            std::string_view value;
            if (text || field.value.get_string().get(value) != simdjson::SUCCESS) {
                return std::nullopt;
            }
            text = value;
        }
    }
    if (code != KKriplog::successCode || !text || text->empty()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

namespace KKriplogEnvelope {

std::optional<std::string_view> successPayloadText(const std::string& body) {
    if (auto text = PlainEnvelopeReader(body).payloadText()) {
        return text;
    }
    return parsedPayloadText(body);
}

} // namespace KKriplogEnvelope
