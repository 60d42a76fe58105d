// The payload decoder (hexadecimal -> Base64 -> AES-128-CBC -> UTF-8 check) on a
// 1 MiB JSON payload, against OpenSSL's raw AES-128-CBC decryption of the same
// ciphertext in the same run. Prints the ratio of the two and the verdict; the target is 3
// or less.

#include "app/Crypto/MIUAES.h"
#include "bench/support/Verdict.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr std::size_t kPayloadSize = 1 << 20;

// A catalogue answer of the usual shape: mostly ASCII, with Chinese titles.
std::string catalogueJSON() {
    std::string json = R"({"code":20000,"msg":"成功","data":[)";
    for (int id = 0; json.size() < kPayloadSize - 200; ++id) {
        json += R"({"vod_id":)" + std::to_string(id) + R"(,"vod_name":"第)" + std::to_string(id) +
                R"(集 示例影片","vod_pic":"https://img.example.com/cover/)" + std::to_string(id) +
                R"(.jpg","vod_douban_score":"8.5","area":"大陆","year":"2024"},)";
    }
    json.back() = ']';
    json += R"(,"pad":")";
    json.append(kPayloadSize - json.size() - 2, 'x');
    return json + "\"}";
}

struct Fixture {
    std::string json = catalogueJSON();
    std::string payload = MIUAES::encryptPayload(json);
    Bytes cipher = *MIUAES::decodeBase64WithString(*MIUAES::hex2bin(payload));
};

const Fixture& fixture() {
    static const Fixture shared;
    return shared;
}

void payloadDecoder(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::string plain = MIUAES::MIUAESDecrypt(f.payload);
        benchmark::DoNotOptimize(plain.data());
        if (plain.size() != kPayloadSize) {
            state.SkipWithError("the payload did not decrypt");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPayloadSize));
}

void rawOpenSSLDecryption(benchmark::State& state) {
    const Fixture& f = fixture();
    const std::string key(MIUAES::responseKey);
    const std::string iv(MIUAES::responseIV);
    Bytes plain(f.cipher.size());
    for (auto _ : state) {
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        int written = 0;
        int finished = 0;
        EVP_DecryptInit_ex2(context, EVP_aes_128_cbc(), reinterpret_cast<const unsigned char*>(key.data()),
                            reinterpret_cast<const unsigned char*>(iv.data()), nullptr);
        EVP_DecryptUpdate(context, plain.data(), &written, f.cipher.data(),
                          static_cast<int>(f.cipher.size()));
        EVP_DecryptFinal_ex(context, plain.data() + written, &finished);
        EVP_CIPHER_CTX_free(context);
        benchmark::DoNotOptimize(plain.data());
        if (static_cast<std::size_t>(written + finished) != kPayloadSize) {
            state.SkipWithError("the ciphertext did not decrypt");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPayloadSize));
}

BENCHMARK(payloadDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(rawOpenSSLDecryption)->Unit(benchmark::kMicrosecond);

// Keeps the time per iteration of each benchmark (the median of repetitions, when
// repeated) while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto decoder = reporter.times.find("payloadDecoder");
    const auto raw = reporter.times.find("rawOpenSSLDecryption");
    if (decoder != reporter.times.end() && raw != reporter.times.end() && raw->second > 0) {
        std::printf("payload decoder / raw AES-128-CBC: %.2fx (target: 3x or less)\n",
                    decoder->second / raw->second);
    }
    const bool met = decoder != reporter.times.end() && raw != reporter.times.end() && raw->second > 0 &&
                     decoder->second / raw->second <= 3;
    printVerdict("payload decoder against raw AES-128-CBC", met);
    return 0;
}
