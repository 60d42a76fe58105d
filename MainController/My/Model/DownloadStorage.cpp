#include "MainController/My/Model/DownloadStorage.h"

#include "app/Helpers/KKpresentationdisease.h"
#include "platform/Foundation/Paths.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include <sys/statvfs.h>

namespace DownloadStorage {

std::optional<unsigned long long> freeBytes() {
    struct statvfs info {};
    if (::statvfs(Paths::dataRoot().c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<unsigned long long>(info.f_bavail) * info.f_frsize;
}

std::string storageText() {
    const double freeKilobytes = static_cast<double>(freeBytes().value_or(0) / 1000);
    const double usedKilobytes =
        static_cast<double>(SJMediaCacheServer::shared().countOfBytesAllExportedAssets()) / 1000.0;
    return "已缓存" + KKpresentationdisease::formatSize(usedKilobytes) + " / 剩余" +
           KKpresentationdisease::formatSize(freeKilobytes) + "空间";
}

} // namespace DownloadStorage
