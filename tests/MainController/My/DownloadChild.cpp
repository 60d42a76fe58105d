// The application's downloads in a process of their own, until it is killed: the other
// half of the journey in which downloads cut off by SIGKILL resume at the next launch.
//   download_child DATAROOT CAFILE INDEX=URL [HEADER=VALUE ...] [INDEX=URL ...]
// stores a download record of title "1021" per INDEX=URL (header fields following an
// entry go with it) and downloads them through the download coordinator.
#include "MainController/My/Model/DownloadCoordinator.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "app/Network/appLink.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

struct Download {
    std::string index;
    std::string url;
    std::map<std::string, std::string> headers;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DATAROOT CAFILE INDEX=URL [HEADER=VALUE ...] ...\n", argv[0]);
        return 2;
    }
    Paths::setDataRoot(argv[1]);
    const std::string authority = argv[2];
    std::vector<Download> downloads;
    for (int i = 3; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        if (equals == std::string::npos) {
            return 2;
        }
        const std::string name = argument.substr(0, equals);
        const std::string value = argument.substr(equals + 1);
        if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
            downloads.push_back({name, value, {}});
        } else if (!downloads.empty()) {
            downloads.back().headers[name] = value;
        }
    }
    RunLoop::main();
    if (!ASConfigration::setDefaultDB(Paths::documents() / "fflist.db", "fflist.db")) {
        return 1;
    }
    // Names are resolved as the application resolves them: through the service's resolver
    // (from the data root's service configuration), which alone knows the media's host.
    std::make_shared<appLink>()->allLinkInAppDoH(NWEndpoint::hostPort("127.0.0.1", 9));
    NetworkPolicy::setCertificateAuthorityFile(authority);
    auto& proxy = SJMediaCacheServer::shared();
    proxy.setResolveAssetIdentifier(&KKcandyleanViewController::assetIdentifier);
    proxy.setUpstreamConfigurator(NetworkPolicy::configurator());
    proxy.setEnabledConsoleLog(std::getenv("ORVEX_CHILD_LOG") != nullptr);
    DownloadCoordinator::shared().start();
    for (const auto& download : downloads) {
        KKcommenthumble record;
        record.url = download.url;
        record.vod_id = "1021";
        record.index = download.index;
        record.name = "锦绣长安";
        record.episode = "第0" + std::to_string(std::stoi(download.index) + 1) + "集";
        if (!DownloadCoordinator::shared().startDownload(record, download.headers)) {
            return 1;
        }
    }
    RunLoop::main().runUntil(
        [&] {
            for (const auto& download : downloads) {
                if (auto error = DownloadCoordinator::shared().lastError(download.url)) {
                    std::fprintf(stderr, "download %s failed: %s %lld\n", download.index.c_str(),
                                 error->domain.c_str(), static_cast<long long>(error->code));
                    return true;
                }
            }
            return false;
        },
        600);
    return 0;
}
