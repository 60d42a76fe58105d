#pragma once

#include <filesystem>
#include <string>

namespace mediafixtures {

// An HLS stream made by ffmpeg from its synthetic test sources (a moving test picture
// and a sine tone): "master.m3u8" pointing at "v<i>/index.m3u8", each with MPEG-TS
// segments "v<i>/seg000.ts", ... Variant 0 has the given size; variant 1, when asked
// for, half of it. The picture shows which way is up: a white block fills its top left
// fifth (a fifth of the width by a fifth of the height) and a black block its top right
// one; nothing else in the moving test picture is plain white or black.
struct HlsSpec {
    int variants = 1; // 1 or 2
    int seconds = 6;
    int segmentSeconds = 2;
    int width = 640;  // even
    int height = 360; // even
};

// Makes the stream in `folder` unless a finished one is there already (one with its
// "master.m3u8"). Safe when several threads or processes ask for the same folder at
// once: one makes it (in a temporary folder renamed into place when complete), the
// others wait and reuse it. Answers false with a reason (ffmpeg's own error output when
// it ran) in `error`.
bool ensureHlsStream(const std::filesystem::path& folder, const HlsSpec& spec, std::string& error);

} // namespace mediafixtures
