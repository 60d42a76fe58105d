#include "platform/Foundation/JSONFastParse.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>

namespace {

using Members = JSON::Storage::object_t;
using Items = JSON::Storage::array_t;
using Kind = JSON::Storage::value_t;

std::uint64_t load64(const char* bytes) {
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// A cheap hash of a key: one bit of a 64-bit mask of the keys seen so far in an object.
// Read from the key's length and its first and last 8 bytes (a shorter key whole), so
// that a key costs a few instructions whatever its length; longer keys that differ only
// in between share a bit, which costs a search, never a wrong value.
std::uint64_t keyBit(std::string_view key) {
    const std::size_t size = key.size();
    std::uint64_t head = size;
    std::uint64_t tail = 0;
    if (size >= 8) {
        head ^= load64(key.data());
        tail = load64(key.data() + size - 8);
    } else {
        for (const char c : key) {
            head = head << 8 | static_cast<unsigned char>(c);
        }
    }
    const std::uint64_t hash = ((head * 0x9E3779B97F4A7C15u) ^ tail) * 0xC2B2AE3D27D4EB4Fu;
    return std::uint64_t{1} << (hash >> 58);
}

template <typename Emplace> void emplaceConverted(simdjson::dom::element element, const Emplace& emplace);

// An array's items, built where they lie.
void fillArray(simdjson::dom::array children, JSON::Storage& array) {
    auto& items = array.get_ref<Items&>();
    items.reserve(children.size());
    for (const simdjson::dom::element child : children) {
        emplaceConverted(child, [&items](auto&&... value) -> JSON::Storage& {
            return items.emplace_back(std::forward<decltype(value)>(value)...);
        });
    }
}

JSON::Storage convert(simdjson::dom::element element) {
    JSON::Storage value;
    emplaceConverted(element, [&value](auto&&... converted) -> JSON::Storage& {
        value = JSON::Storage(std::forward<decltype(converted)>(converted)...);
        return value;
    });
    return value;
}

// An object's members in text order, built where they lie. A key named again keeps its
// first place and takes the later value; only a key whose bit is already set is looked
// for among the members so far, so that an object's keys cost no quadratic search.
void fillObject(simdjson::dom::object fields, JSON::Storage& object) {
    auto& members = object.get_ref<Members&>();
    members.reserve(fields.size());
    std::uint64_t seen = 0;
    for (const simdjson::dom::key_value_pair field : fields) {
        const std::string_view key = field.key;
        const std::uint64_t bit = keyBit(key);
        if ((seen & bit) != 0) {
            const auto named =
                std::find_if(members.begin(), members.end(),
                             [key](const Members::value_type& member) { return member.first == key; });
            if (named != members.end()) {
                named->second = convert(field.value);
                continue;
            }
        }
        seen |= bit;
        // The vector's own emplace_back: the ordered map's would search and copy the key.
        emplaceConverted(field.value, [&members, key](auto&&... value) -> JSON::Storage& {
            return members
                .Members::Container::emplace_back(
                    std::piecewise_construct, std::forward_as_tuple(key),
                    std::forward_as_tuple(std::forward<decltype(value)>(value)...))
                .second;
        });
    }
}

// Builds the value of `element` through `emplace`, which constructs a value from the
// arguments it is given where the value belongs and returns it: scalars directly, and
// containers empty first, then filled in place, so that no value is built twice.
template <typename Emplace> void emplaceConverted(simdjson::dom::element element, const Emplace& emplace) {
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::ARRAY:
        fillArray(element.get_array().value_unsafe(), emplace(Kind::array));
        return;
    case Type::OBJECT:
        fillObject(element.get_object().value_unsafe(), emplace(Kind::object));
        return;
    case Type::INT64: {
        const std::int64_t value = element.get_int64().value_unsafe();
        if (value >= 0) {
            emplace(static_cast<std::uint64_t>(value));
        } else {
            emplace(value);
        }
        return;
    }
    case Type::UINT64:
        emplace(element.get_uint64().value_unsafe());
        return;
    case Type::DOUBLE:
        emplace(element.get_double().value_unsafe());
        return;
    case Type::STRING:
        emplace(element.get_string().value_unsafe());
        return;
    case Type::BOOL:
        emplace(element.get_bool().value_unsafe());
        return;
    case Type::NULL_VALUE:
        break;
    }
    emplace(nullptr);
}

} // namespace

std::optional<JSON::Storage> parseJSONQuickly(std::string_view text) {
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(text.data(), text.size(), true).get(root) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    return convert(root);
}
