#pragma once

#include "platform/Foundation/JSON.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Small persistent settings in one file. Every change is written through at once and
// atomically, so a crash never loses a change that returned nor leaves a torn file. A
// file that cannot be read or parsed is reported once, kept aside, and treated as empty.
// Main thread only.
class UserDefaults {
  public:
    using Data = std::vector<std::uint8_t>;

    // The application's defaults, in the data root's Preferences folder.
    static UserDefaults& standard();
    // Forgets the standard instance so that the next call reads the (possibly moved)
    // data root again. Tests only.
    static void resetStandard();

    explicit UserDefaults(std::filesystem::path file);

    void setBool(const std::string& key, bool value);
    void setInteger(const std::string& key, std::int64_t value);
    void setDouble(const std::string& key, double value);
    void setString(const std::string& key, const std::string& value);
    void setStringArray(const std::string& key, const std::vector<std::string>& value);
    void setData(const std::string& key, const Data& value);
    void setObject(const std::string& key, const JSON& value);
    void removeObject(const std::string& key);

    // Reads convert as the platform does: a stored "YES"/"true"/"1" text is true, a
    // stored numeric text reads as its number, a number reads as its text.
    bool boolForKey(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;
    std::optional<Data> dataForKey(const std::string& key) const;
    // The stored value as JSON; absent when nothing is stored.
    JSON objectForKey(const std::string& key) const;

    // False when the last write failed (the change is kept in memory and retried with
    // the next change).
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }
    const std::filesystem::path& file() const { return file_; }

    // Moves with every change to any defaults and every defaults made (the standard
    // instance included): a reader that keeps what it derived from a value reads the
    // value again only when the count has moved.
    static std::uint64_t changeCount() { return changes_.load(std::memory_order_relaxed); }

  private:
    void store(const std::string& key, JSON::Storage value);
    void write();
    const JSON::Storage* find(const std::string& key) const;

    std::filesystem::path file_;
    JSON::Storage values_ = JSON::Storage::object();
    bool lastWriteSucceeded_ = true;
    static std::atomic<std::uint64_t> changes_;
};
