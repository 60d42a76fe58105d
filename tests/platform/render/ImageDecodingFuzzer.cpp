#include "platform/render/ImageDecoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Image bytes come from the network: no input may crash a decoder or exhaust memory.
// An input that begins like an image of a known format (the seeds, small valid files of
// every format, and their mutations) is decoded as it is. In any other input the first
// byte picks a format signature to put in front of the rest, so that inputs far from the
// seeds still reach every decoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string_view signatures[] = {
        "GIF89a",
        "\x89PNG\r\n\x1a\n",
        "\xFF\xD8\xFF",
        "RIFF\x10\0\0\0WEBPVP8 ",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" ",
        "",
    };
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    if (render::sniffImageFormat(input) != render::ImageFormat::other) {
        bytes = input;
    } else {
        bytes = signatures[data[0] % std::size(signatures)];
        bytes.append(input.substr(1));
    }
    if (auto decoded = render::decodeImage(bytes, 1)) {
        for (const render::ImageFrame& frame : decoded->frames) {
            if (!frame.image || frame.image->width() <= 0 || frame.image->height() <= 0) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
