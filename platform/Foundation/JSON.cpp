#include "platform/Foundation/JSON.h"

#include "platform/Foundation/JSONFastParse.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Deeper containers are left to nlohmann's own destruction, which survives any depth.
constexpr int kMaxEmptiedDepth = 64;

// Empties the containers of a value bottom-up, each member destroyed where it lies.
// nlohmann destroys a container by moving each of its values onto a stack of their own
// first (so that no depth can exhaust the call stack); an empty one costs it nothing.
void emptyContainers(JSON::Storage& value, int depth) {
    if (value.is_array()) {
        auto& items = value.get_ref<JSON::Storage::array_t&>();
        if (depth < kMaxEmptiedDepth) {
            for (auto& item : items) {
                if (item.is_structured()) {
                    emptyContainers(item, depth + 1);
                }
            }
        }
        items.clear();
    } else if (value.is_object()) {
        auto& members = value.get_ref<JSON::Storage::object_t&>();
        if (depth < kMaxEmptiedDepth) {
            for (auto& member : members) {
                if (member.second.is_structured()) {
                    emptyContainers(member.second, depth + 1);
                }
            }
        }
        members.clear();
    }
}

} // namespace

JSON::~JSON() {
    if (value_.is_structured()) {
        emptyContainers(value_, 0);
    }
}

JSON JSON::absent() {
    JSON value;
    value.exists_ = false;
    return value;
}

JSON JSON::parse(std::string_view text) {
    if (auto quick = parseJSONQuickly(text)) {
        return JSON(std::move(*quick));
    }
    Storage parsed = Storage::parse(text, nullptr, false);
    if (parsed.is_discarded()) {
        return absent();
    }
    return JSON(std::move(parsed));
}

JSON JSON::operator[](std::string_view key) const {
    if (!value_.is_object()) {
        return absent();
    }
    auto found = value_.find(std::string(key));
    if (found == value_.end()) {
        return absent();
    }
    return JSON(*found);
}

JSON JSON::operator[](std::size_t index) const {
    if (!value_.is_array() || index >= value_.size()) {
        return absent();
    }
    return JSON(value_[index]);
}

JSON::Type JSON::type() const {
    switch (value_.type()) {
    case Storage::value_t::boolean:
        return Type::boolean;
    case Storage::value_t::number_integer:
    case Storage::value_t::number_unsigned:
    case Storage::value_t::number_float:
        return Type::number;
    case Storage::value_t::string:
        return Type::string;
    case Storage::value_t::array:
        return Type::array;
    case Storage::value_t::object:
        return Type::dictionary;
    default:
        return Type::null;
    }
}

bool JSON::isEmpty() const {
    if (value_.is_object() || value_.is_array()) {
        return value_.empty();
    }
    return true;
}

std::optional<std::string> JSON::string() const {
    if (!value_.is_string()) {
        return std::nullopt;
    }
    return value_.get<std::string>();
}

std::optional<bool> JSON::boolean() const {
    if (!value_.is_boolean()) {
        return std::nullopt;
    }
    return value_.get<bool>();
}

std::optional<std::int64_t> JSON::int64() const {
    if (!value_.is_number()) {
        return std::nullopt;
    }
    return int64Value();
}

std::optional<double> JSON::number() const {
    if (!value_.is_number()) {
        return std::nullopt;
    }
    return value_.get<double>();
}

std::optional<std::vector<JSON>> JSON::array() const {
    if (!value_.is_array()) {
        return std::nullopt;
    }
    return arrayValue();
}

std::optional<std::map<std::string, JSON>> JSON::dictionary() const {
    if (!value_.is_object()) {
        return std::nullopt;
    }
    return dictionaryValue();
}

std::string formatNumberText(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", value);
    return buffer;
}

std::string JSON::stringValue() const {
    switch (value_.type()) {
    case Storage::value_t::string:
        return value_.get<std::string>();
    case Storage::value_t::boolean:
        return value_.get<bool>() ? "true" : "false";
    case Storage::value_t::number_integer:
        return std::to_string(value_.get<std::int64_t>());
    case Storage::value_t::number_unsigned:
        return std::to_string(value_.get<std::uint64_t>());
    case Storage::value_t::number_float:
        return formatNumberText(value_.get<double>());
    default:
        return "";
    }
}

namespace {

std::int64_t truncateToInt64(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 9.2233720368547758e18) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value <= -9.2233720368547758e18) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

// The leading decimal number of a text ("7", " 7.5kg" -> 7.5); NaN when there is none.
double leadingDecimal(const std::string& text) {
    const char* begin = text.c_str();
    while (*begin != '\0' && std::isspace(static_cast<unsigned char>(*begin))) {
        ++begin;
    }
    // Only plain decimal notation: no hexadecimal, infinity or NaN spellings.
    const char* cursor = begin;
    if (*cursor == '+' || *cursor == '-') {
        ++cursor;
    }
    if (!std::isdigit(static_cast<unsigned char>(*cursor)) &&
        !(*cursor == '.' && std::isdigit(static_cast<unsigned char>(cursor[1])))) {
        return std::nan("");
    }
    if (cursor[0] == '0' && (cursor[1] == 'x' || cursor[1] == 'X')) {
        return 0;
    }
    return std::strtod(begin, nullptr);
}

} // namespace

std::int64_t JSON::int64Value() const {
    switch (value_.type()) {
    case Storage::value_t::number_integer:
        return value_.get<std::int64_t>();
    case Storage::value_t::number_unsigned: {
        auto value = value_.get<std::uint64_t>();
        return value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::numeric_limits<std::int64_t>::max()
                   : static_cast<std::int64_t>(value);
    }
    case Storage::value_t::number_float:
        return truncateToInt64(value_.get<double>());
    case Storage::value_t::boolean:
        return value_.get<bool>() ? 1 : 0;
    case Storage::value_t::string:
        return truncateToInt64(leadingDecimal(value_.get<std::string>()));
    default:
        return 0;
    }
}

double JSON::doubleValue() const {
    switch (value_.type()) {
    case Storage::value_t::number_integer:
    case Storage::value_t::number_unsigned:
    case Storage::value_t::number_float:
        return value_.get<double>();
    case Storage::value_t::boolean:
        return value_.get<bool>() ? 1 : 0;
    case Storage::value_t::string: {
        double value = leadingDecimal(value_.get<std::string>());
        return std::isnan(value) ? 0 : value;
    }
    default:
        return 0;
    }
}

bool JSON::boolValue() const {
    switch (value_.type()) {
    case Storage::value_t::boolean:
        return value_.get<bool>();
    case Storage::value_t::number_integer:
    case Storage::value_t::number_unsigned:
    case Storage::value_t::number_float:
        return value_.get<double>() != 0;
    case Storage::value_t::string: {
        std::string text = value_.get<std::string>();
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text == "true" || text == "y" || text == "t" || text == "yes" || text == "1";
    }
    default:
        return false;
    }
}

std::vector<JSON> JSON::arrayValue() const {
    std::vector<JSON> items;
    if (value_.is_array()) {
        items.reserve(value_.size());
        for (const auto& item : value_) {
            items.emplace_back(item);
        }
    }
    return items;
}

std::map<std::string, JSON> JSON::dictionaryValue() const {
    std::map<std::string, JSON> items;
    if (value_.is_object()) {
        for (auto it = value_.begin(); it != value_.end(); ++it) {
            items.emplace(it.key(), JSON(it.value()));
        }
    }
    return items;
}

std::vector<std::string> JSON::keys() const {
    std::vector<std::string> names;
    if (value_.is_object()) {
        for (auto it = value_.begin(); it != value_.end(); ++it) {
            names.push_back(it.key());
        }
    }
    return names;
}

std::size_t JSON::count() const {
    return (value_.is_object() || value_.is_array()) ? value_.size() : 0;
}

std::string JSON::rawString() const {
    if (!exists_) {
        return "";
    }
    return value_.dump(-1, ' ', false, Storage::error_handler_t::replace);
}
