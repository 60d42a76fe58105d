#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace SQLite {

// One value bound to or read from a statement: absent (NULL), an integer, a real
// number or a text. Texts are byte strings: embedded zero bytes and bytes that are not
// UTF-8 are kept as they are.
class Value {
  public:
    using Storage = std::variant<std::monostate, std::int64_t, double, std::string>;

    Value() = default;
    Value(std::nullopt_t) {}
    Value(int value) : storage_(static_cast<std::int64_t>(value)) {}
    Value(std::int64_t value) : storage_(value) {}
    Value(double value) : storage_(value) {}
    Value(std::string value) : storage_(std::move(value)) {}
    Value(std::string_view value) : storage_(std::string(value)) {}
    Value(const char* value) : storage_(std::string(value)) {}
    template <class T> Value(const std::optional<T>& value) {
        if (value) {
            *this = Value(*value);
        }
    }

    bool isNull() const { return std::holds_alternative<std::monostate>(storage_); }
    const Storage& storage() const { return storage_; }

    bool operator==(const Value&) const = default;

  private:
    Storage storage_;
};

} // namespace SQLite
