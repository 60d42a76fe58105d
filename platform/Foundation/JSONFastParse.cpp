#include "platform/Foundation/JSONFastParse.h"

#include <simdjson.h>

namespace {

JSON::Storage convert(simdjson::dom::element element) {
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::ARRAY: {
        JSON::Storage array = JSON::Storage::array();
        auto& items = array.get_ref<JSON::Storage::array_t&>();
        const simdjson::dom::array children = element.get_array().value_unsafe();
        items.reserve(children.size());
        for (simdjson::dom::element child : children) {
            items.push_back(convert(child));
        }
        return array;
    }
    case Type::OBJECT: {
        JSON::Storage object = JSON::Storage::object();
        auto& members = object.get_ref<JSON::Storage::object_t&>();
        const simdjson::dom::object fields = element.get_object().value_unsafe();
        members.reserve(fields.size());
        for (simdjson::dom::key_value_pair field : fields) {
            auto [member, inserted] = members.emplace(std::string(field.key), JSON::Storage());
            member->second = convert(field.value);
        }
        return object;
    }
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
        return JSON::Storage(std::string(element.get_string().value_unsafe()));
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
