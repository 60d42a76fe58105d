#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// The mpv command-line player as the baseline of the playback benchmarks, run as the
// platform engine runs libmpv: with the same start settings (no configuration files, no
// built-in scripts, no probing for subtitles or other files, the same demuxer and
// decoder choices), and timed to its first shown picture by its own clock, so that
// neither starting the process nor ending it is counted against it.
namespace benchmpv {

struct Media {
    std::string url;
    std::string userAgent;
    std::vector<std::pair<std::string, std::string>> headerFields;
    // Empty: the system's authorities.
    std::filesystem::path certificateAuthorityFile;
};

// The command line: the engine's settings, less what only an embedded player needs (its
// own video output, staying idle and paused, keeping the file open at its end); the
// picture goes to mpv's null output and mpv ends after the first one.
std::vector<std::string> arguments(const Media& media, const std::filesystem::path& logFile);

// Seconds from mpv's start to its first shown picture, by mpv's log; negative when mpv
// failed or showed none.
double firstPictureSeconds(const Media& media, const std::filesystem::path& logFile);

} // namespace benchmpv
