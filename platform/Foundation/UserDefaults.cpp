#include "platform/Foundation/UserDefaults.h"

#include "platform/Foundation/AtomicFile.h"
#include "platform/Foundation/Paths.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

// Data is kept as {"data": "<hex>"} so that it stays apart from texts.
constexpr const char* dataTag = "data";

std::string toHex(const UserDefaults::Data& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (auto byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 15]);
    }
    return text;
}

std::optional<UserDefaults::Data> fromHex(const std::string& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    UserDefaults::Data bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = nibble(text[i]);
        int low = nibble(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::unique_ptr<UserDefaults>& standardInstance() {
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

} // namespace

UserDefaults& UserDefaults::standard() {
    auto& instance = standardInstance();
    if (!instance) {
        instance = std::make_unique<UserDefaults>(Paths::preferences() / "orvex.defaults.json");
    }
    return *instance;
}

void UserDefaults::resetStandard() {
    standardInstance().reset();
}

std::atomic<std::uint64_t> UserDefaults::changes_{0};

UserDefaults::UserDefaults(std::filesystem::path file) : file_(std::move(file)) {
    ++changes_; // values read from another file, or at another address
    std::error_code error;
    if (!std::filesystem::exists(file_, error)) {
        return;
    }
    auto contents = readWholeFile(file_);
    JSON::Storage parsed = contents ? JSON::Storage::parse(*contents, nullptr, false) : JSON::Storage();
    if (contents && !parsed.is_discarded() && parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    // Keep the unreadable file for inspection instead of overwriting it with the next write.
    auto aside = file_;
    aside += ".unreadable-" + std::to_string(std::time(nullptr));
    std::filesystem::rename(file_, aside, error);
    std::fprintf(stderr, "UserDefaults: %s could not be read; starting empty (kept as %s)\n", file_.c_str(),
                 aside.c_str());
}

const JSON::Storage* UserDefaults::find(const std::string& key) const {
    auto found = values_.find(key);
    return found == values_.end() ? nullptr : &*found;
}

void UserDefaults::store(const std::string& key, JSON::Storage value) {
    values_[key] = std::move(value);
    ++changes_;
    write();
}

void UserDefaults::write() {
    Paths::createPrivateFolder(file_.parent_path());
    lastWriteSucceeded_ = writeFileAtomically(file_, values_.dump());
    if (!lastWriteSucceeded_) {
        std::fprintf(stderr, "UserDefaults: could not write %s\n", file_.c_str());
    }
}

void UserDefaults::setBool(const std::string& key, bool value) {
    store(key, value);
}
void UserDefaults::setInteger(const std::string& key, std::int64_t value) {
    store(key, value);
}
void UserDefaults::setDouble(const std::string& key, double value) {
    store(key, value);
}
void UserDefaults::setString(const std::string& key, const std::string& value) {
    store(key, value);
}
void UserDefaults::setStringArray(const std::string& key, const std::vector<std::string>& value) {
    store(key, value);
}
void UserDefaults::setData(const std::string& key, const Data& value) {
    store(key, JSON::Storage{{dataTag, toHex(value)}});
}
void UserDefaults::setObject(const std::string& key, const JSON& value) {
    if (!value.exists()) {
        removeObject(key);
        return;
    }
    store(key, value.storage());
}

void UserDefaults::removeObject(const std::string& key) {
    if (values_.erase(key) > 0) {
        ++changes_;
        write();
    }
}

bool UserDefaults::boolForKey(const std::string& key) const {
    const auto* value = find(key);
    if (value == nullptr) {
        return false;
    }
    if (value->is_string()) {
        const auto text = value->get<std::string>();
        return text == "YES" || text == "yes" || text == "true" || text == "TRUE" ||
               JSON(*value).int64Value() != 0;
    }
    return JSON(*value).boolValue();
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const {
    const auto* value = find(key);
    return value == nullptr ? 0 : JSON(*value).int64Value();
}

double UserDefaults::doubleForKey(const std::string& key) const {
    const auto* value = find(key);
    return value == nullptr ? 0 : JSON(*value).doubleValue();
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    const auto* value = find(key);
    if (value == nullptr || !(value->is_string() || value->is_number() || value->is_boolean())) {
        return std::nullopt;
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? "1" : "0";
    }
    return JSON(*value).stringValue();
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(const std::string& key) const {
    const auto* value = find(key);
    if (value == nullptr || !value->is_array()) {
        return std::nullopt;
    }
    std::vector<std::string> texts;
    for (const auto& item : *value) {
        if (!item.is_string()) {
            return std::nullopt;
        }
        texts.push_back(item.get<std::string>());
    }
    return texts;
}

std::optional<UserDefaults::Data> UserDefaults::dataForKey(const std::string& key) const {
    const auto* value = find(key);
    if (value == nullptr || !value->is_object() || !value->contains(dataTag) ||
        !(*value)[dataTag].is_string()) {
        return std::nullopt;
    }
    return fromHex((*value)[dataTag].get<std::string>());
}

JSON UserDefaults::objectForKey(const std::string& key) const {
    const auto* value = find(key);
    return value == nullptr ? JSON::absent() : JSON(*value);
}
