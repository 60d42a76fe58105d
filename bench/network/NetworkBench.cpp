// API client benchmark (run.sh builds it without sanitizers and runs it).
//
// Against one development service on loopback (HTTPS verified against its certificate
// authority, names resolved through its DNS-over-HTTPS resolver), in one process:
//   client:   N sequential signed requests through the API client ("api/indexVodList",
//             page 1 of 15 titles, an encrypted answer), each decrypted and parsed, the
//             next sent once the previous completion has run on the main loop;
//   baseline: plain libcurl fetching the same answers from the same server: one easy
//             handle, the same request (headers, signed form) prepared once, the same
//             resolver and trust settings, no decryption.
// Rounds alternate between the two; the medians are compared. Connections opened are
// counted for both (each one a TLS handshake). The process's processor time per request
// (service included, the same for all) is reported too: on a loaded machine the wall
// time is dominated by how soon sleeping threads get a processor again.
//
// With --first client|libcurl, the process instead times its very first request, as a
// launch makes it: the client's tourist sign-in, or plain libcurl sending the same signed
// form on a fresh handle with the same resolver and trust settings. Both resolve the
// service's name through the DNS-over-HTTPS resolver (a TLS handshake with the resolver)
// and shake hands with the service; run.sh runs each in processes of their own.
//
// With --only client|session|libcurl REQUESTS, the process makes the warm-up requests,
// then that many through one side alone, and prints nothing: callgrind.sh counts the
// instructions of two such processes and divides their difference by the difference of
// their requests, which leaves the instructions of one request (all threads, the
// development service's included).
//
// Usage: network_bench [REQUESTS [ROUNDS]]   (results on standard error; the client's
//        network_bench --first client|libcurl   console lines on standard output)
//        network_bench --only client|session|libcurl REQUESTS

#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "app/Network/ServiceConfiguration.h"
#include "app/Network/appLink.h"
#include "platform/Alamofire/Session.h"
#include "platform/Alamofire/URLEncodedFormParameterEncoder.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/Network/NetworkPolicy.h"
#include "tools/devservice/DevService.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double processorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Run {
    double seconds = 0;
    double processorSeconds = 0;
    std::uint64_t connections = 0;
    int failures = 0;
};

const KKriplog::Parameters requestParameters{{"page", "1"}, {"type_id", "1"}, {"pageSize", "15"}};

Run runClient(int requests) {
    Run run;
    const std::uint64_t connectionsBefore = AF().connectionsOpened();
    const auto start = Clock::now();
    const double processorStart = processorSeconds();
    for (int i = 0; i < requests; ++i) {
        auto done = std::make_shared<bool>(false);
        auto failed = std::make_shared<bool>(true);
        apiClient.indexVodList(1, "1", "15",
                               [done, failed](std::optional<JSON> json, std::optional<NSError> error) {
                                   *failed = error || !json || (*json).count() != 15; // one page of 15 titles
                                   *done = true;
                               });
        RunLoop::main().runUntil([&] { return *done; }, 60);
        run.failures += *failed ? 1 : 0;
    }
    run.seconds = secondsSince(start);
    run.processorSeconds = processorSeconds() - processorStart;
    run.connections = AF().connectionsOpened() - connectionsBefore;
    return run;
}

struct PlainRequest {
    std::string url;
    std::string body;
    std::vector<std::string> headers;
    Parameters parameters;
    HTTPHeaders sessionHeaders;
};

// The HTTP session alone (the client's transport): the same prepared request through
// the session's transfers on the main loop, no decryption.
Run runSession(const PlainRequest& request, int requests) {
    Run run;
    const std::uint64_t connectionsBefore = AF().connectionsOpened();
    const auto start = Clock::now();
    const double processorStart = processorSeconds();
    for (int i = 0; i < requests; ++i) {
        auto done = std::make_shared<bool>(false);
        auto failed = std::make_shared<bool>(true);
        AF().request(request.url, HTTPMethod::post, request.parameters, request.sessionHeaders)
            ->responseData(DispatchQueue::main(), [done, failed](const AFDataResponse& response) {
                *failed =
                    !response.isSuccess() || response.value()->find("\"code\":20000") == std::string::npos;
                *done = true;
            });
        RunLoop::main().runUntil([&] { return *done; }, 60);
        run.failures += *failed ? 1 : 0;
    }
    run.seconds = secondsSince(start);
    run.processorSeconds = processorSeconds() - processorStart;
    run.connections = AF().connectionsOpened() - connectionsBefore;
    return run;
}

size_t collect(char* data, size_t size, size_t count, void* context) {
    static_cast<std::string*>(context)->append(data, size * count);
    return size * count;
}

Run runBaseline(const PlainRequest& request, int requests) {
    Run run;
    CURL* easy = curl_easy_init();
    NetworkPolicy::applyTo(easy); // the same resolver and trust settings
    curl_slist* headers = nullptr;
    for (const auto& header : request.headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    const auto start = Clock::now();
    const double processorStart = processorSeconds();
    for (int i = 0; i < requests; ++i) {
        body.clear();
        long connects = 0;
        if (curl_easy_perform(easy) != CURLE_OK || body.find("\"code\":20000") == std::string::npos) {
            ++run.failures;
        }
        curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connects);
        run.connections += static_cast<std::uint64_t>(connects);
    }
    run.seconds = secondsSince(start);
    run.processorSeconds = processorSeconds() - processorStart;
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
    return run;
}

// The tourist sign-in's signed form, as the client sends it.
PlainRequest touristLoginRequest() {
    KKriplog::Parameters parameters{{"id", "0"}};
    parameters["timestamp"] = std::to_string(static_cast<std::int64_t>(Date::timeIntervalSince1970()));
    parameters["sign"] = KKpresentationdisease::signParameters(parameters);
    return PlainRequest{ServiceConfiguration::current().baseURL1 + "api/touristLogin",
                        URLEncodedFormParameterEncoder::encode(parameters),
                        {"Accept: application/prs.Orvex.v2+json",
                         "Content-Type: application/x-www-form-urlencoded; charset=utf-8", "Expect:"},
                        parameters,
                        {}};
}

// Prints "first-request <who> <milliseconds> <connections to the service>"; answers whether it succeeded.
bool timeFirstRequest(bool throughClient) {
    // The launch's resolver settings; its probe goes to an address, resolving nothing.
    std::make_shared<appLink>()->allLinkInAppDoH(NWEndpoint::hostPort("127.0.0.1", 9));
    const PlainRequest request = touristLoginRequest();
    const auto start = Clock::now();
    bool succeeded = false;
    std::uint64_t connections = 0;
    if (throughClient) {
        bool done = false;
        apiClient.touristLogin("0", [&](std::optional<JSON> json, std::optional<NSError> error) {
            succeeded = json && !error && !(*json)["token"].stringValue().empty();
            done = true;
        });
        RunLoop::main().runUntil([&] { return done; }, 60);
        connections = AF().connectionsOpened();
    } else {
        const Run run = runBaseline(request, 1);
        succeeded = run.failures == 0;
        connections = run.connections;
    }
    const double milliseconds = secondsSince(start) * 1000;
    std::fprintf(stderr, "first-request %s %.3f %llu\n", throughClient ? "client" : "libcurl", milliseconds,
                 static_cast<unsigned long long>(connections));
    return succeeded;
}

} // namespace

int main(int argc, char** argv) {
    const bool firstRequest = argc > 2 && std::string(argv[1]) == "--first";
    const bool firstThroughClient = firstRequest && std::string(argv[2]) == "client";
    const std::string onlySide = argc > 3 && std::string(argv[1]) == "--only" ? argv[2] : "";
    const int requests = !onlySide.empty()           ? std::atoi(argv[3])
                         : !firstRequest && argc > 1 ? std::atoi(argv[1])
                                                     : 1000;
    const int rounds = !firstRequest && onlySide.empty() && argc > 2 ? std::atoi(argv[2]) : 5;
    if (requests <= 0 || rounds <= 0 ||
        (firstRequest && !firstThroughClient && std::string(argv[2]) != "libcurl") ||
        (!onlySide.empty() && onlySide != "client" && onlySide != "session" && onlySide != "libcurl")) {
        std::fprintf(stderr, "usage: network_bench [REQUESTS [ROUNDS]] | --first client|libcurl | --only "
                             "client|session|libcurl REQUESTS\n");
        return 2;
    }

    const auto home =
        std::filesystem::temp_directory_path() / ("orvex-network-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    Paths::setDataRoot(home);
    RunLoop::main();

    DevService::Options options;
    options.dataDir = home / "service";
    if (const char* media = std::getenv("ORVEX_BENCH_MEDIA_DIR")) {
        options.mediaDir = media;
    }
    DevService service(options);
    if (!service.start()) {
        std::fprintf(stderr, "the development service did not start: %s\n", service.lastError().c_str());
        return 1;
    }
    // No media generation may run while timing.
    service.waitForMedia(900);
    service.writeClientConfiguration(ServiceConfiguration::file());
    ServiceConfiguration::setCurrent(ServiceConfiguration::load());
    if (firstRequest) {
        const bool succeeded = timeFirstRequest(firstThroughClient);
        service.stop();
        std::filesystem::remove_all(home);
        return succeeded ? 0 : 1;
    }
    std::make_shared<appLink>()->allLinkInAppDoH();

    // A signed-in tourist, as on every device after the first launch.
    bool signedIn = false;
    apiClient.touristLogin("0", [&](std::optional<JSON> json, std::optional<NSError>) {
        if (json) {
            UserDefaults::standard().setString("login", KKpresentationdisease::toJSONString(*json));
        }
        signedIn = true;
    });
    RunLoop::main().runUntil([&] { return signedIn; }, 60);
    const JSON user = JSON::parse(UserDefaults::standard().stringForKey("login").value_or(""));

    // The baseline's request: what the client sends, prepared once.
    KKriplog::Parameters signedParameters = requestParameters;
    signedParameters["timestamp"] = std::to_string(static_cast<std::int64_t>(Date::timeIntervalSince1970()));
    signedParameters["sign"] = KKpresentationdisease::signParameters(signedParameters);
    const PlainRequest plain{ServiceConfiguration::current().baseURL1 + "api/indexVodList",
                             URLEncodedFormParameterEncoder::encode(signedParameters),
                             {"Accept: application/prs.Orvex.v2+json",
                              "Authorization: Bearer " + user["token"].stringValue(),
                              "Content-Type: application/x-www-form-urlencoded; charset=utf-8", "Expect:"},
                             signedParameters,
                             {{"Accept", "application/prs.Orvex.v2+json"},
                              {"Authorization", "Bearer " + user["token"].stringValue()}}};

    // Warm-up: name resolution, connections, caches.
    runClient(20);
    runSession(plain, 20);
    runBaseline(plain, 20);
    if (!onlySide.empty()) {
        const Run run = onlySide == "client"    ? runClient(requests)
                        : onlySide == "session" ? runSession(plain, requests)
                                                : runBaseline(plain, requests);
        service.stop();
        std::filesystem::remove_all(home);
        return run.failures == 0 ? 0 : 1;
    }

    std::vector<double> clientTimes;
    std::vector<double> sessionTimes;
    std::vector<double> baselineTimes;
    std::vector<double> clientProcessor;
    std::vector<double> sessionProcessor;
    std::vector<double> baselineProcessor;
    std::uint64_t clientConnections = 0;
    std::uint64_t baselineConnections = 0;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const Run baseline = runBaseline(plain, requests);
        const Run client = runClient(requests);
        const Run session = runSession(plain, requests);
        baselineTimes.push_back(baseline.seconds);
        clientTimes.push_back(client.seconds);
        sessionTimes.push_back(session.seconds);
        baselineProcessor.push_back(baseline.processorSeconds);
        clientProcessor.push_back(client.processorSeconds);
        sessionProcessor.push_back(session.processorSeconds);
        baselineConnections += baseline.connections;
        clientConnections += client.connections;
        failures += baseline.failures + client.failures + session.failures;
        std::fprintf(stderr,
                     "round %d: client %.3f s (%llu connections), session alone %.3f s, plain libcurl %.3f s "
                     "(%llu connections)\n",
                     round + 1, client.seconds, static_cast<unsigned long long>(client.connections),
                     session.seconds, baseline.seconds,
                     static_cast<unsigned long long>(baseline.connections));
    }
    service.stop();
    std::filesystem::remove_all(home);

    const double client = median(clientTimes);
    const double baseline = median(baselineTimes);
    std::fprintf(stderr, "requests per run: %d, rounds: %d, failed requests: %d\n", requests, rounds,
                 failures);
    std::fprintf(stderr, "client (median):        %.3f s, %.0f us per request\n", client,
                 client / requests * 1e6);
    const double sessionAlone = median(sessionTimes);
    std::fprintf(stderr, "session alone (median): %.3f s, %.0f us per request\n", sessionAlone,
                 sessionAlone / requests * 1e6);
    std::fprintf(stderr, "plain libcurl (median): %.3f s, %.0f us per request\n", baseline,
                 baseline / requests * 1e6);
    std::fprintf(stderr, "ratio client / plain libcurl: %.3f\n", client / baseline);
    std::fprintf(stderr,
                 "processor time per request (median, whole process): client %.0f us, session alone %.0f us, "
                 "plain libcurl %.0f us\n",
                 median(clientProcessor) / requests * 1e6, median(sessionProcessor) / requests * 1e6,
                 median(baselineProcessor) / requests * 1e6);
    std::fprintf(stderr, "connections opened per %d requests: client %.1f, plain libcurl %.1f\n", requests,
                 static_cast<double>(clientConnections) / rounds,
                 static_cast<double>(baselineConnections) / rounds);
    return failures == 0 ? 0 : 1;
}
