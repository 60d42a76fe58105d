#include "tests/tools/devservice/RawClient.h"

#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "tests/support/TestSupport.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>

namespace devservicetest {
namespace {

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* reply) {
    static_cast<Reply*>(reply)->body.append(data, size * count);
    return size * count;
}

std::size_t appendHeader(char* data, std::size_t size, std::size_t count, void* reply) {
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::string value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.erase(0, 1);
        }
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) {
            value.pop_back();
        }
        static_cast<Reply*>(reply)->headers[name] = value;
    }
    return size * count;
}

} // namespace

Reply fetch(const std::string& url, const RequestOptions& options) {
    Reply reply;
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const auto& header : options.headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    curl_slist* resolve = nullptr;
    for (const auto& entry : options.resolve) {
        resolve = curl_slist_append(resolve, entry.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_RESOLVE, resolve);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, appendHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply);
    if (!options.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
    }
    if (!options.dohUrl.empty()) {
        curl_easy_setopt(curl, CURLOPT_DOH_URL, options.dohUrl.c_str());
    }
    if (options.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(options.body.size()));
        curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, options.body.c_str());
    } else if (options.method != "GET") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, options.method.c_str());
    }
    reply.curlCode = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    curl_slist_free_all(resolve);
    curl_easy_cleanup(curl);
    return reply;
}

std::string formText(const std::map<std::string, std::string>& parameters) {
    std::string text;
    for (const auto& [key, value] : parameters) {
        char* escapedKey = curl_easy_escape(nullptr, key.c_str(), static_cast<int>(key.size()));
        char* escapedValue = curl_easy_escape(nullptr, value.c_str(), static_cast<int>(value.size()));
        text += (text.empty() ? "" : "&") + std::string(escapedKey) + "=" + escapedValue;
        curl_free(escapedKey);
        curl_free(escapedValue);
    }
    return text;
}

std::map<std::string, std::string> signedParameters(std::map<std::string, std::string> parameters) {
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    parameters["timestamp"] = std::to_string(now.count());
    parameters["sign"] = KKpresentationdisease::signParameters(parameters);
    return parameters;
}

std::string dnsQuery(const std::string& name, std::uint16_t type, std::uint16_t id, std::uint16_t flags) {
    std::string query;
    for (const std::uint16_t word :
         {id, flags, std::uint16_t{1}, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}}) {
        query += static_cast<char>(word >> 8);
        query += static_cast<char>(word & 0xFF);
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        query += static_cast<char>(dot - start);
        query += name.substr(start, dot - start);
        start = dot + 1;
    }
    query += '\0';
    query += static_cast<char>(type >> 8);
    query += static_cast<char>(type & 0xFF);
    query += std::string("\x00\x01", 2);
    return query;
}

ServiceFixture::ServiceFixture() {
    DevService::Options options;
    options.dataDir = testsupport::freshFolder("devservice");
    options.mediaDir = testsupport::sharedMediaDir();
    options.log = [this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        logLines_.push_back(line);
    };
    service_ = std::make_unique<DevService>(options);
    if (!service_->start()) {
        ADD_FAILURE() << "the service did not start: " << service_->lastError();
    }
}

ServiceFixture::~ServiceFixture() {
    service_->stop();
}

std::vector<std::string> ServiceFixture::resolveEntries() const {
    std::vector<std::string> entries;
    for (const int port : {service_->port1(), service_->port2()}) {
        for (const char* host : {"api.orvex.test", "dns.orvex.test", "media.orvex.test"}) {
            entries.push_back(std::string(host) + ":" + std::to_string(port) + ":127.0.0.1");
        }
    }
    return entries;
}

std::string ServiceFixture::apiUrl(const std::string& path, int base) const {
    const int port = base == 1 ? service_->port1() : service_->port2();
    return "https://api.orvex.test:" + std::to_string(port) + "/" + path;
}

Reply ServiceFixture::call(const std::string& method, const std::string& path,
                           const std::map<std::string, std::string>& parameters, const std::string& token,
                           int base) {
    RequestOptions options;
    options.method = method;
    options.caFile = service_->caFile().string();
    options.resolve = resolveEntries();
    options.headers = {"Accept: application/prs.Orvex.v2+json"};
    if (!token.empty()) {
        options.headers.push_back("Authorization: Bearer " + token);
    }
    const std::string form = formText(signedParameters(parameters));
    std::string url = apiUrl(path, base);
    if (method == "GET") {
        url += "?" + form;
    } else {
        options.body = form;
        options.headers.push_back("Content-Type: application/x-www-form-urlencoded; charset=utf-8");
    }
    return fetch(url, options);
}

nlohmann::ordered_json ServiceFixture::envelope(const Reply& reply) const {
    auto parsed = nlohmann::ordered_json::parse(reply.body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        ADD_FAILURE() << "not an envelope: " << reply.body;
        return nlohmann::ordered_json::object();
    }
    const std::string data = parsed.value("data", "");
    if (!data.empty()) {
        parsed["payload"] = nlohmann::ordered_json::parse(MIUAES::MIUAESDecrypt(data), nullptr, false);
    }
    return parsed;
}

nlohmann::ordered_json ServiceFixture::api(const std::string& method, const std::string& path,
                                           const std::map<std::string, std::string>& parameters,
                                           const std::string& token, int base) {
    return envelope(call(method, path, parameters, token, base));
}

std::vector<std::string> ServiceFixture::logLines() const {
    std::lock_guard lock(logMutex_);
    return logLines_;
}

} // namespace devservicetest
