#include "platform/Foundation/JSONFastParse.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace {

using Members = JSON::Storage::object_t;

// A cheap hash of a key: one bit of a 64-bit mask of the keys seen so far in an object.
std::uint64_t keyBit(std::string_view key) {
    std::uint64_t hash = key.size();
    for (const char c : key) {
        hash = hash * 31 + static_cast<unsigned char>(c);
    }
    return std::uint64_t{1} << ((hash ^ (hash >> 6)) & 63);
}

JSON::Storage convert(simdjson::dom::element element);

// An object's members in text order, appended in place. A key named again keeps its
// first place and takes the later value; only a key whose bit is already set is looked
// for among the members so far, so that an object's keys cost no quadratic search.
JSON::Storage convertObject(simdjson::dom::object fields) {
    JSON::Storage object = JSON::Storage::object();
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
        members.Members::Container::emplace_back(std::piecewise_construct, std::forward_as_tuple(key),
                                                 std::forward_as_tuple(convert(field.value)));
    }
    return object;
}

JSON::Storage convert(simdjson::dom::element element) {
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::ARRAY: {
        JSON::Storage array = JSON::Storage::array();
        auto& items = array.get_ref<JSON::Storage::array_t&>();
        const simdjson::dom::array children = element.get_array().value_unsafe();
        items.reserve(children.size());
        for (simdjson::dom::element child : children) {
            items.emplace_back(convert(child));
        }
        return array;
    }
    case Type::OBJECT:
        return convertObject(element.get_object().value_unsafe());
    case Type::INT64: {
        const std::int64_t value = element.get_int64().value_unsafe();
        if (value >= 0) {
            return JSON::Storage(static_cast<std::uint64_t>(value));
        }
        return JSON::Storage(value);
    }
    case Type::UINT64:
        return JSON::Storage(element.get_uint64().value_unsafe());
    case Type::DOUBLE:
        return JSON::Storage(element.get_double().value_unsafe());
    case Type::STRING:
        return JSON::Storage(element.get_string().value_unsafe());
    case Type::BOOL:
        return JSON::Storage(element.get_bool().value_unsafe());
    case Type::NULL_VALUE:
        break;
    }
    return JSON::Storage(nullptr);
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
