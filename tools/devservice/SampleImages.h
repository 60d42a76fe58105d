#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace devservice {

// The sample catalogue's pictures, drawn on demand: "poster", "banner", "background",
// "topic", "cover", "portrait", "ad" and "qrcode" pictures, each at the size that kind
// is shown at, coloured and patterned from the name so that every title looks
// different and the same name always gives the same picture.
// Answers the PNG bytes, or nothing for an unknown kind or a name that is not 1 to 64
// characters of [A-Za-z0-9_-].
std::optional<std::string> renderSampleImage(std::string_view kind, std::string_view name);

// A real QR code (error correction level M) of `text`, black on white with a quiet zone
// of four modules, at least `minimumSize` pixels wide, as PNG bytes; nothing when the
// text does not fit a QR code.
std::optional<std::string> renderQrCode(const std::string& text, int minimumSize = 200);

} // namespace devservice
