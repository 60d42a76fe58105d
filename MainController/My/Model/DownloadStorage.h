#pragma once

#include <optional>
#include <string>

namespace DownloadStorage {

// Bytes free for the application on the file system of its data root (statvfs); none
// when it cannot be read.
std::optional<unsigned long long> freeBytes();
// "已缓存<exported> / 剩余<free>空间": the bytes of every export of the media cache proxy
// and the free bytes (0 when unknown), each as a size text.
std::string storageText();

} // namespace DownloadStorage
