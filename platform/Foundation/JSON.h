#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One JSON value with the lenient reads the screens rely on: a missing key or index
// reads as an absent value (never throws), and the `...Value()` reads convert between
// kinds the way the service's clients always have (see each member).
class JSON {
  public:
    using Storage = nlohmann::ordered_json;
    enum class Type { null, boolean, number, string, array, dictionary };

    JSON() = default; // null, present
    JSON(Storage value) : value_(std::move(value)) {}
    JSON(const JSON&) = default;
    JSON(JSON&&) noexcept = default;
    JSON& operator=(const JSON&) = default;
    JSON& operator=(JSON&&) noexcept = default;
    ~JSON();
    static JSON absent(); // what a missing key reads as

    // Parses UTF-8 text; top-level fragments ("5", "\"x\"") are accepted. Invalid text
    // gives an absent value.
    static JSON parse(std::string_view text);

    JSON operator[](std::string_view key) const;
    JSON operator[](std::size_t index) const;
    JSON operator[](int index) const {
        return index < 0 ? absent() : (*this)[static_cast<std::size_t>(index)];
    }
    JSON operator[](const char* key) const { return (*this)[std::string_view(key)]; }

    // False for a missing key or index and for text that did not parse.
    bool exists() const { return exists_; }
    Type type() const;
    bool isNull() const { return type() == Type::null; }
    // An object or array without members, or any value that is neither.
    bool isEmpty() const;

    // Strict reads: a value only when the JSON has that kind.
    std::optional<std::string> string() const;
    std::optional<bool> boolean() const;
    std::optional<std::int64_t> int64() const;
    std::optional<double> number() const;
    std::optional<std::vector<JSON>> array() const;
    std::optional<std::map<std::string, JSON>> dictionary() const;

    // Lenient reads.
    // Text: a string as is, a number as its decimal text, a Boolean as "true"/"false",
    // anything else "".
    std::string stringValue() const;
    // Integer: a number truncated, a string's leading decimal number (0 when none),
    // true 1, anything else 0.
    std::int64_t int64Value() const;
    int intValue() const { return static_cast<int>(int64Value()); }
    double doubleValue() const;
    // Boolean: a Boolean as is, a number when not zero, a string equal (ignoring case) to
    // "true", "y", "t", "yes" or "1"; anything else false.
    bool boolValue() const;
    std::vector<JSON> arrayValue() const;
    std::map<std::string, JSON> dictionaryValue() const;
    // Object keys in their order in the text.
    std::vector<std::string> keys() const;
    std::size_t count() const;

    // Compact text; "" for an absent value.
    std::string rawString() const;
    const Storage& storage() const { return value_; }

    bool operator==(const JSON& other) const { return exists_ == other.exists_ && value_ == other.value_; }

  private:
    Storage value_;
    bool exists_ = true;
};

// Formats a double the way the platform's number description does ("%.16g").
std::string formatNumberText(double value);
