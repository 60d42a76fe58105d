#pragma once

#include "platform/AVFoundation/AVURLAsset.h"
#include "platform/Foundation/JSON.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"

#include <cstdint>
#include <optional>
#include <string>

// The rules of starting an episode on the player page that need no views: which media
// identifier an episode's playback record lives under, which addresses and request
// headers may reach the playback engines, where a resumed episode starts and what the
// resume prompt says. Pure functions.
namespace EpisodeStartRules {

// The playback record's key of episode `position` of the title: the first six decimal
// digits of the MD5 text of `vodId` (all of them when fewer, 0 without any) plus the
// position.
std::int64_t mediaIdentifier(const std::string& vodId, long position);

// True for an address the engines may open: http or https with a host and nothing that
// could not be sent in a request line (blanks, control characters).
bool isPlayableAddress(const std::string& address);

// True for the media cache proxy's own playback addresses: those that begin with the
// proxy's `prefix` (its origin and path token; see SJMediaCacheServer). An address that
// merely carries the loopback origin somewhere else, say in its query, is not one.
bool isProxyAddress(const std::string& address, const std::string& prefix);

// The request headers a parse answer asks for: "user_agent" as "User-Agent", then each
// element of "headers" having both "key" and "val" (a later one replaces an earlier one
// of the same name). Names that are not HTTP tokens and values with line breaks or other
// control characters are left out, so nothing can be smuggled into the media requests.
// No option at all when there is neither a user agent nor a "headers" list.
AVURLAssetOptions mediaRequestOptions(const JSON& parseAnswer);

// True when the extension of the address's path (its query and fragment left out)
// contains "m3u8".
bool pathExtensionIsM3u8(const std::string& address);

// The episode position a playback record points at for the title `vodId`: none when the
// record belongs to another title, or its "index" is missing, not a decimal integer or
// negative.
std::optional<long> recordedPosition(const SJPlaybackRecord& record, const std::string& vodId);

// The near-end rule: an episode left within 30 seconds of its known end starts again one
// minute before the end (never before its start), without the outro prompt and skip.
struct ResumePoint {
    double position = 0;
    bool nearEnd = false;
};
ResumePoint resumePoint(const SJPlaybackRecord& record);

// A duration as the playback record keeps it: plain decimal text in the shortest form
// that reads back as the same number ("1234.5", "3600", never an exponent); none for a
// value that is not finite. Readers also accept the exponent form of older records.
std::optional<std::string> durationText(double seconds);

// "从上次的位置 hh:mm:ss 处开始播放" (minutes and seconds alone below an hour) for the
// whole seconds of `position`.
std::string resumePromptText(double position);

// A text kept as Base64 of its UTF-8 bytes; the empty text when it does not decode.
std::string decodedText(const std::string& base64);

} // namespace EpisodeStartRules
