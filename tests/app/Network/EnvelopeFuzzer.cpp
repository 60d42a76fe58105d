// Any reply body through the response and envelope steps: no crash, exactly one
// completion, and an answer carries either a value or an error.
#include "app/Network/KKriplog.h"
#include "app/Network/KKriplogEnvelope.h"
#include "platform/Foundation/Paths.h"
#include "platform/QMUIKit/QMUITips.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path& dataRoot() {
    static std::filesystem::path root;
    return root;
}

// A payload text taken from a body is the "data" text of a success envelope that a
// full parse reads alike.
void checkPayloadText(const std::string& body) {
    const auto text = KKriplogEnvelope::successPayloadText(body);
    if (!text) {
        return;
    }
    const auto parsed = JSON::Storage::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object() || !parsed.contains("code") ||
        !parsed.contains("data") || parsed["code"] != KKriplog::successCode ||
        !parsed["code"].is_number_integer() || parsed["data"] != *text) {
        std::abort();
    }
}

void answer(const std::string& body) {
    checkPayloadText(body);
    AFDataResponse response;
    response.response = HTTPURLResponse{"https://api.orvex.test:8083/api/indexList", 200, {}};
    response.result = body;
    int calls = 0;
    bool wellFormed = true;
    const KKriplog::Completion completion = [&](std::optional<JSON> json, std::optional<NSError> error) {
        ++calls;
        wellFormed = json.has_value() != error.has_value();
    };
    apiClient.decodeResponseData(
        response,
        [&](std::optional<JSON> object) { apiClient.handleResponse(object, "api/indexList", completion); },
        [&](const AFError&) {
            completion(std::nullopt, NSError{"网络错误", 404});
        });
    QMUITips::hideAllTips();
    if (calls != 1 || !wellFormed) {
        std::abort();
    }
}

std::string hex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 0x0F];
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A private data root with no stored user (so no renewal is ever sent), and the
    // console lines (every body) out of the way.
    dataRoot() =
        std::filesystem::temp_directory_path() / ("orvex-envelope-fuzzer-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dataRoot());
    Paths::setDataRoot(dataRoot());
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(dataRoot(), ignored);
    });
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The input as the whole body, and as the payload of a success envelope (raw, and
    // hexadecimal so that the later decoding steps see it).
    answer(input);
    const JSON asText(JSON::Storage(std::string(input.begin(), input.end())));
    if (const std::string text = asText.rawString(); !text.empty()) {
        answer(R"({"code":20000,"message":"","data":)" + text + "}");
    }
    answer(R"({"code":20000,"message":"","data":")" + hex(input) + "\"}");
    return 0;
}
