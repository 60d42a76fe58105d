#include "tools/devservice/DevService.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>

namespace {

void usage() {
    std::cerr << "usage: orvex-devservice --data DIR [--port1 8083] [--port2 9312] [--client-config FILE]\n"
                 "                        [--catalogue DIR] [--timestamp-window SECONDS]\n";
}

bool readPort(const char* text, int& port) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 65535) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    DevService::Options options;
    options.port1 = 8083;
    options.port2 = 9312;
    std::filesystem::path clientConfiguration;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            usage();
            return 2;
        }
        ++i;
        bool ok = true;
        if (flag == "--data") {
            options.dataDir = value;
        } else if (flag == "--port1") {
            ok = readPort(value, options.port1);
        } else if (flag == "--port2") {
            ok = readPort(value, options.port2);
        } else if (flag == "--client-config") {
            clientConfiguration = value;
        } else if (flag == "--catalogue") {
            options.catalogueDir = value;
        } else if (flag == "--timestamp-window") {
            char* end = nullptr;
            options.timestampWindow = std::strtod(value, &end);
            ok = end != value && *end == '\0' && options.timestampWindow >= 0;
        } else {
            ok = false;
        }
        if (!ok) {
            usage();
            return 2;
        }
    }
    if (options.dataDir.empty()) {
        usage();
        return 2;
    }

    // The service's threads inherit this mask, so only sigwait below sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    static std::mutex outputMutex;
    options.log = [](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };
    DevService service(options);
    if (!service.start()) {
        std::cerr << "orvex-devservice: " << service.lastError() << "\n";
        return 1;
    }
    if (!clientConfiguration.empty()) {
        service.writeClientConfiguration(clientConfiguration);
    }
    options.log("orvex-devservice ready " + std::to_string(service.port1()) + " " +
                std::to_string(service.port2()));

    int received = 0;
    sigwait(&stopSignals, &received);
    service.stop();
    return 0;
}
