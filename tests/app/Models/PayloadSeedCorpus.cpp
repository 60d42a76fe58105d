// Writes the seed inputs of the payload models fuzzer: the decrypted payload of every
// endpoint the application reads, as the development service answers it from its sample
// catalogue, each one file, with their list in "seeds.txt" (comma-separated, for
// libFuzzer's -seed_inputs=@FILE). Long lists are cut to their first elements and long
// texts shortened, so that every seed fits the fuzzer's input size.
//
//     payload_seed_corpus CATALOGUE_DIR OUTPUT_DIR

#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "tools/devservice/ApiService.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using devservice::Json;

constexpr std::size_t kLargestSeed = 4096;
constexpr const char* kOrigin = "https://127.0.0.1:8083";

// Keeps at most `elements` elements of every array and `characters` bytes of every text
// (cut at a character boundary).
Json shrunk(const Json& value, std::size_t elements, std::size_t characters) {
    if (value.is_array()) {
        Json list = Json::array();
        for (std::size_t i = 0; i < value.size() && i < elements; ++i) {
            list.push_back(shrunk(value[i], elements, characters));
        }
        return list;
    }
    if (value.is_object()) {
        Json object = Json::object();
        for (const auto& [key, member] : value.items()) {
            object[key] = shrunk(member, elements, characters);
        }
        return object;
    }
    if (value.is_string() && value.get_ref<const std::string&>().size() > characters) {
        std::string text = value.get<std::string>().substr(0, characters);
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
            text.pop_back();
        }
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) {
            text.pop_back();
        }
        return text;
    }
    return value;
}

class Seeds {
  public:
    Seeds(const devservice::ApiService& api, std::filesystem::path folder)
        : api_(api), folder_(std::move(folder)) {}

    // Asks the service and keeps the payload of a successful answer under `name`.
    Json ask(const std::string& name, const std::string& method, const std::string& path,
             devservice::FormParameters parameters, int service = 1) {
        parameters["timestamp"] = "1700000000";
        parameters["sign"] = KKpresentationdisease::signParameters(parameters);
        const auto answer = api_.handle({service, method, path, parameters, "", kOrigin});
        const Json envelope = Json::parse(answer.body, nullptr, false);
        if (envelope.is_discarded() || envelope.value("code", 0) != 20000) {
            std::fprintf(stderr, "payload_seed_corpus: %s answered %s\n", path.c_str(), answer.body.c_str());
            failed_ = true;
            return Json();
        }
        const std::string data = envelope.value("data", "");
        const Json payload = data.empty() ? Json() : Json::parse(MIUAES::MIUAESDecrypt(data), nullptr, false);
        keep(name, payload);
        return payload;
    }

    void keep(const std::string& name, const Json& payload) {
        std::string text = payload.dump();
        for (std::size_t elements = 4; text.size() > kLargestSeed && elements > 0; --elements) {
            text = shrunk(payload, elements, 40 * elements).dump();
        }
        if (!texts_.insert(text).second) {
            return; // the same as another seed (the empty ad positions)
        }
        const auto file = folder_ / (name + ".json");
        std::ofstream(file, std::ios::binary) << text;
        files_.push_back(file.string());
    }

    // The list file; false when an endpoint failed.
    bool finish() const {
        std::string list;
        for (const auto& file : files_) {
            list += (list.empty() ? "" : ",") + file;
        }
        std::ofstream(folder_ / "seeds.txt") << list;
        return !failed_;
    }

  private:
    const devservice::ApiService& api_;
    std::filesystem::path folder_;
    std::vector<std::string> files_;
    std::set<std::string> texts_;
    bool failed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: payload_seed_corpus CATALOGUE_DIR OUTPUT_DIR\n");
        return 2;
    }
    const std::filesystem::path output = argv[2];
    std::filesystem::remove_all(output);
    std::filesystem::create_directories(output);
    std::string error;
    const auto catalogue = devservice::Catalogue::load(argv[1], error);
    if (!catalogue) {
        std::fprintf(stderr, "payload_seed_corpus: %s\n", error.c_str());
        return 1;
    }
    devservice::Accounts accounts(
        output / "users.json", [] { return 1700000000.0; }, [](const std::string&, const std::string&) {});
    if (!accounts.load(error)) {
        std::fprintf(stderr, "payload_seed_corpus: %s\n", error.c_str());
        return 1;
    }
    const devservice::ApiService api(*catalogue, accounts, {.timestampWindow = 0, .now = [] { return 0.0; }});
    Seeds seeds(api, output);

    seeds.ask("labels", "GET", "api/indexLabelList", {});
    seeds.ask("home-feed", "GET", "api/indexList", {});
    seeds.ask("filter-tree", "GET", "api/tagList", {});
    seeds.ask("hot-searches", "GET", "api/searchTipList", {});
    seeds.ask("notices", "POST", "api/getNotice", {});
    for (int position = 1; position <= 12; ++position) {
        const std::string text = std::to_string(position);
        seeds.ask("ads-" + text, "POST", "api/getAdvertInfo", {{"position", text}});
    }
    seeds.ask("category", "POST", "api/indexVodList", {{"page", "1"}, {"type_id", "1"}, {"pageSize", "3"}});
    seeds.ask("library", "POST", "api/vodList", {{"page", "1"}, {"type_id", "2"}, {"pageSize", "3"}});
    const Json topics = seeds.ask("topics", "POST", "api/themeList", {{"page", "1"}, {"pageSize", "3"}});
    if (topics.is_array() && !topics.empty()) {
        seeds.ask("topic", "POST", "api/themeInfo",
                  {{"page", "1"}, {"pageSize", "3"}, {"topic_id", topics[0].value("topic_id", "")}});
    }
    seeds.ask("shorts", "GET", "api/v1/video/display", {{"page", "1"}, {"num", "4"}}, 2);
    seeds.ask("tourist", "POST", "api/touristLogin", {{"id", "0"}});

    // The detail, resources, episode list and parse answers of the first title of each
    // category, every play source's parse answer once.
    const Json labels = catalogue->homeLabels();
    std::map<std::string, bool> parsedSources;
    for (const auto& label : labels) {
        const Json id = label.value("type_id", Json());
        if (!id.is_number_integer() || !catalogue->knownCategory(id.get<int>())) {
            continue; // the recommend tab
        }
        const std::string typeId = id.dump();
        const Json films = seeds.ask("suggestions-" + typeId, "POST", "api/indexVodRecList",
                                     {{"page", "1"}, {"type_id", typeId}, {"pageSize", "1"}});
        if (!films.is_array() || films.empty()) {
            continue;
        }
        const std::string vodId = films[0].value("vod_id", "");
        const Json detail = seeds.ask("detail-" + vodId, "GET", "api/getVideoInfo", {{"vod_id", vodId}});
        seeds.ask("resources-" + vodId, "POST", "api/vodResourceList", {{"vod_id", vodId}});
        for (const auto& source : detail.value("list", Json::array())) {
            const std::string type = source.value("type", "");
            const Json episodes = seeds.ask("episodes-" + vodId + "-" + type, "POST", "api/getVideoList",
                                            {{"vod_id", vodId}, {"type", type}});
            if (!parsedSources[type] && episodes.is_array() && !episodes.empty()) {
                parsedSources[type] = true;
                seeds.ask("parse-" + type, "POST", "api/getParse",
                          {{"type", type}, {"url", episodes[0].value("src", "")}});
            }
        }
    }
    return seeds.finish() ? 0 : 1;
}
