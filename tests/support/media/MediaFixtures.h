#pragma once

#include <filesystem>
#include <string>

namespace testmedia {

// How to make one HLS stream with the ffmpeg command-line tool.
struct HlsRecipe {
    double seconds = 4;
    double segmentSeconds = 1;
    int width = 320;
    int height = 180;
    std::string videoBitrate = "400k";
    // When not empty: AES-128 encryption, with this text as the key's URI in the playlist.
    std::string keyURI;
    // One media file addressed with #EXT-X-BYTERANGE instead of one file per segment.
    bool singleFile = false;
};

// Makes `folder`/index.m3u8 (and its segments, and "enc.key" when encrypted).
// Answers false (with the tool's output on standard error) when ffmpeg fails.
bool makeHls(const std::filesystem::path& folder, const HlsRecipe& recipe);

// Makes a progressive mp4 with its index at the front ("faststart").
bool makeMp4(const std::filesystem::path& file, double seconds, int width, int height);

// The shared test media, made once (and kept between test processes of one build) in
// a folder served by TestOrigin. Layout below the root:
//   showcase/master.m3u8   two variants: "a/index.m3u8" (relative URI; AES-128 with an
//                          absolute key URI) and "{{ORIGIN}}/showcase/b/index.m3u8"
//                          (absolute URI; one file with byte ranges)
//   twovariants/master.m3u8  ffmpeg's own master with variants v0 and v1
//   plain/clip.mp4         an mp4 with faststart
class MediaFixtures {
  public:
    static const MediaFixtures& shared();
    const std::filesystem::path& root() const { return root_; }

  private:
    MediaFixtures();
    std::filesystem::path root_;
};

// The whole contents of a file.
std::string readFile(const std::filesystem::path& file);

} // namespace testmedia
