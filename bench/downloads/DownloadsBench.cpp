// Helper program of the download benchmark (run.sh drives it):
//   download URL DATAROOT   downloads URL the way the download picker does (a record
//                           stored through the download coordinator, which follows the
//                           export and keeps the record in step) into the data root
//                           DATAROOT; prints "finish" or "fail" and the seconds from
//                           the start to the record's final state
#include "MainController/My/Model/DownloadCoordinator.h"
#include "app/Records/KKcommenthumble.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

int download(const std::string& url, const std::string& dataRoot) {
    Paths::setDataRoot(dataRoot);
    RunLoop::main();
    if (!ASConfigration::setDefaultDB(Paths::documents() / "fflist.db", "fflist.db")) {
        std::fprintf(stderr, "cannot open the records\n");
        return 2;
    }
    DownloadCoordinator::shared().start();
    KKcommenthumble record;
    record.url = url;
    record.vod_id = "bench";
    record.index = "0";
    record.name = "bench";
    record.episode = "1";
    const auto started = std::chrono::steady_clock::now();
    if (!DownloadCoordinator::shared().startDownload(record, {{"User-Agent", "OrvexBench/1.0"}})) {
        std::fprintf(stderr, "the download did not start\n");
        return 2;
    }
    std::string state;
    RunLoop::main().runUntil(
        [&] {
            auto stored = KKcommenthumble::findFirst(ASAttributes{{"vod_id", "bench"}, {"index", "0"}});
            state = stored && *stored ? (*stored)->state : "";
            return state == "finish" || state == "fail";
        },
        3600);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s %.3f\n", state.c_str(), seconds);
    return state == "finish" ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "download" && argc == 4) {
        return download(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: %s download URL DATAROOT\n", argv[0]);
    return 2;
}
