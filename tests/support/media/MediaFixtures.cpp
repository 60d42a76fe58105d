#include "tests/support/media/MediaFixtures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testmedia {

namespace {

constexpr const char* kRecipeVersion = "v1";

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

bool run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status != 0) {
        std::fprintf(stderr, "fixture command failed (%d): %s\n", status, command.c_str());
    }
    return status == 0;
}

std::string sources(double seconds, int width, int height) {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "-f lavfi -i testsrc2=size=%dx%d:rate=25 -f lavfi -i sine=sample_rate=44100:frequency=440 -t %g",
        width, height, seconds);
    return text;
}

void writeFile(const std::filesystem::path& file, const std::string& contents) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << contents;
}

bool makeShowcase(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    HlsRecipe encrypted;
    encrypted.seconds = 4;
    encrypted.keyURI = "{{ORIGIN}}/showcase/a/enc.key";
    HlsRecipe ranged;
    ranged.seconds = 4;
    ranged.width = 160;
    ranged.height = 90;
    ranged.videoBitrate = "150k";
    ranged.singleFile = true;
    if (!makeHls(folder / "a", encrypted) || !makeHls(folder / "b", ranged)) {
        return false;
    }
    writeFile(folder / "master.m3u8", "#EXTM3U\n#EXT-X-VERSION:4\n"
                                      "#EXT-X-STREAM-INF:BANDWIDTH=600000,RESOLUTION=320x180\n"
                                      "a/index.m3u8\n"
                                      "#EXT-X-STREAM-INF:BANDWIDTH=250000,RESOLUTION=160x90\n"
                                      "{{ORIGIN}}/showcase/b/index.m3u8\n");
    return true;
}

bool makeTwoVariants(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "v0");
    std::filesystem::create_directories(folder / "v1");
    return run("ffmpeg -hide_banner -loglevel error -y " + sources(3, 320, 180) +
               " -filter_complex '[0:v]split=2[v1][v2];[v2]scale=160:90[v2o]' -map '[v1]' -map '[v2o]' -map "
               "1:a -map 1:a"
               " -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 25 -keyint_min 25 -sc_threshold 0"
               " -b:v:0 400k -b:v:1 150k -c:a aac -b:a 64k -f hls -hls_time 1 -hls_playlist_type vod"
               " -hls_segment_filename " +
               quoted(folder / "v%v" / "seg%03d.ts") +
               " -master_pl_name master.m3u8 -var_stream_map 'v:0,a:0 v:1,a:1' " +
               quoted(folder / "v%v" / "index.m3u8"));
}

std::filesystem::path cacheFolder() {
    if (const char* build = std::getenv("ORVEX_BUILD_DIR")) {
        return std::filesystem::path(build) / "test-media";
    }
    return std::filesystem::temp_directory_path() / ("orvex-test-media-" + std::to_string(::getuid()));
}

} // namespace

bool makeHls(const std::filesystem::path& folder, const HlsRecipe& recipe) {
    std::filesystem::create_directories(folder);
    std::string encryption;
    if (!recipe.keyURI.empty()) {
        writeFile(folder / "enc.key",
                  std::string("\x4f\x72\x76\x65\x78\x2d\x74\x65\x73\x74\x2d\x6b\x65\x79\x21\x21", 16));
        writeFile(folder / "keyinfo", recipe.keyURI + "\n" + (folder / "enc.key").string() +
                                          "\n000102030405060708090a0b0c0d0e0f\n");
        encryption = " -hls_key_info_file " + quoted(folder / "keyinfo");
    }
    const int gop = static_cast<int>(recipe.segmentSeconds * 25);
    char gopText[96];
    std::snprintf(gopText, sizeof gopText, " -g %d -keyint_min %d -sc_threshold 0 -hls_time %g", gop, gop,
                  recipe.segmentSeconds);
    std::string command = "ffmpeg -hide_banner -loglevel error -y " +
                          sources(recipe.seconds, recipe.width, recipe.height) +
                          " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -b:v " + recipe.videoBitrate +
                          " -c:a aac -b:a 64k" + gopText + " -f hls -hls_playlist_type vod" + encryption;
    if (recipe.singleFile) {
        command += " -hls_flags single_file";
    } else {
        command += " -hls_segment_filename " + quoted(folder / "seg%03d.ts");
    }
    command += " " + quoted(folder / "index.m3u8");
    const bool made = run(command);
    std::filesystem::remove(folder / "keyinfo");
    return made;
}

bool makeMp4(const std::filesystem::path& file, double seconds, int width, int height) {
    std::filesystem::create_directories(file.parent_path());
    return run("ffmpeg -hide_banner -loglevel error -y " + sources(seconds, width, height) +
               " -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 64k -movflags +faststart " +
               quoted(file));
}

const MediaFixtures& MediaFixtures::shared() {
    static const MediaFixtures fixtures;
    return fixtures;
}

MediaFixtures::MediaFixtures() {
    const auto cache = cacheFolder();
    root_ = cache / kRecipeVersion;
    std::error_code error;
    if (std::filesystem::exists(root_ / "complete", error)) {
        return;
    }
    std::filesystem::create_directories(cache);
    std::string pattern = (cache / "making-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for test media");
    }
    const std::filesystem::path making = pattern;
    if (!makeShowcase(making / "showcase") || !makeTwoVariants(making / "twovariants") ||
        !makeMp4(making / "plain" / "clip.mp4", 4, 320, 240)) {
        std::filesystem::remove_all(making, error);
        throw std::runtime_error("ffmpeg could not make the test media");
    }
    writeFile(making / "complete", "");
    // Another test process may have finished first; either copy will do.
    std::filesystem::rename(making, root_, error);
    if (error) {
        std::filesystem::remove_all(making, error);
    }
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace testmedia
