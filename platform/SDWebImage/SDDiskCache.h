#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Encoded image files by key, one file per key in one folder. File names are the MD5 of
// the key (plus the key's file extension), so that any text is a valid key. Each call does
// its file work at once on the calling thread; the image cache calls from its own queue.
// Files appear whole or not at all (written beside, then renamed).
class SDDiskCache {
  public:
    explicit SDDiskCache(std::filesystem::path directory);

    const std::filesystem::path& directory() const { return directory_; }
    std::filesystem::path cachePathForKey(const std::string& key) const;

    bool containsDataForKey(const std::string& key) const;
    std::optional<std::string> dataForKey(const std::string& key) const;
    // Answers false when the file could not be written (the cache simply misses later).
    bool setData(std::string_view data, const std::string& key);
    void removeDataForKey(const std::string& key);
    void removeAllData();

    // Removes files not written for `maxAgeSeconds` (0: no age limit), then, while the
    // folder holds more than `maxSizeBytes` (0: no size limit), the oldest files.
    void removeExpiredData(double maxAgeSeconds, std::uint64_t maxSizeBytes);
    std::uint64_t totalSize() const;
    std::size_t totalCount() const;

  private:
    std::filesystem::path directory_;
};
