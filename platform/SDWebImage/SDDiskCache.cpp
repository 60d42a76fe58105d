#include "platform/SDWebImage/SDDiskCache.h"

#include "platform/CommonCrypto/CommonDigest.h"
#include "platform/Foundation/Paths.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string md5Hex(const std::string& text) {
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(text.data(), static_cast<CC_LONG>(text.size()), digest);
    std::string hex;
    hex.reserve(2 * CC_MD5_DIGEST_LENGTH);
    constexpr char kDigits[] = "0123456789abcdef";
    for (unsigned char byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// The extension of the key's path part ("png" of ".../a.png?x=1"), when it is short and
// plain; empty otherwise.
std::string extensionOf(const std::string& key) {
    const std::string path = key.substr(0, key.find_first_of("?#"));
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    const std::string extension = path.substr(dot + 1);
    const bool plain = !extension.empty() && extension.size() <= 5 &&
                       std::all_of(extension.begin(), extension.end(),
                                   [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    return plain ? extension : std::string();
}

std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    const auto thread = std::hash<std::thread::id>()(std::this_thread::get_id());
    return ".tmp-" + std::to_string(thread) + "-" + std::to_string(counter++);
}

} // namespace

SDDiskCache::SDDiskCache(fs::path directory) : directory_(std::move(directory)) {}

fs::path SDDiskCache::cachePathForKey(const std::string& key) const {
    const std::string extension = extensionOf(key);
    return directory_ / (md5Hex(key) + (extension.empty() ? "" : "." + extension));
}

bool SDDiskCache::containsDataForKey(const std::string& key) const {
    std::error_code error;
    return fs::is_regular_file(cachePathForKey(key), error);
}

std::optional<std::string> SDDiskCache::dataForKey(const std::string& key) const {
    std::ifstream in(cachePathForKey(key), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return data;
}

bool SDDiskCache::setData(std::string_view data, const std::string& key) {
    if (!Paths::createPrivateFolder(directory_)) {
        return false;
    }
    std::error_code error;
    const fs::path temporary = directory_ / temporaryName();
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.close();
        // The pictures a person looked at are theirs alone to see.
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, error);
        if (!out || error) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, cachePathForKey(key), error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

void SDDiskCache::removeDataForKey(const std::string& key) {
    std::error_code error;
    fs::remove(cachePathForKey(key), error);
}

void SDDiskCache::removeAllData() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory_, error)) {
        std::error_code ignored;
        fs::remove_all(entry.path(), ignored);
    }
}

void SDDiskCache::removeExpiredData(double maxAgeSeconds, std::uint64_t maxSizeBytes) {
    struct File {
        fs::path path;
        fs::file_time_type written;
        std::uint64_t size;
    };
    std::vector<File> files;
    const auto now = fs::file_time_type::clock::now();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory_, error)) {
        std::error_code fileError;
        if (!entry.is_regular_file(fileError)) {
            continue;
        }
        const auto written = entry.last_write_time(fileError);
        const auto size = entry.file_size(fileError);
        if (fileError) {
            continue;
        }
        const double age = std::chrono::duration<double>(now - written).count();
        if (maxAgeSeconds > 0 && age > maxAgeSeconds) {
            fs::remove(entry.path(), fileError);
            continue;
        }
        files.push_back({entry.path(), written, size});
    }
    if (maxSizeBytes == 0) {
        return;
    }
    std::uint64_t total = 0;
    for (const auto& file : files) {
        total += file.size;
    }
    if (total <= maxSizeBytes) {
        return;
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.written < b.written; });
    // Down to half the limit, so that the next writes do not trim again at once.
    for (const auto& file : files) {
        if (total <= maxSizeBytes / 2) {
            break;
        }
        std::error_code removeError;
        if (fs::remove(file.path, removeError)) {
            total -= file.size;
        }
    }
}

std::uint64_t SDDiskCache::totalSize() const {
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory_, error)) {
        std::error_code fileError;
        if (entry.is_regular_file(fileError)) {
            total += entry.file_size(fileError);
        }
    }
    return total;
}

std::size_t SDDiskCache::totalCount() const {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory_, error)) {
        std::error_code fileError;
        if (entry.is_regular_file(fileError)) {
            ++count;
        }
    }
    return count;
}
