#include "platform/render/ImageDecoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Image bytes come from the network: no input may crash a decoder or exhaust memory.
// The first input byte picks a format signature to put in front of the rest, so that
// runs without a corpus still reach every decoder.
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
    std::string bytes(signatures[data[0] % std::size(signatures)]);
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    if (auto decoded = render::decodeImage(bytes, 1)) {
        for (const render::ImageFrame& frame : decoded->frames) {
            if (!frame.image || frame.image->width() <= 0 || frame.image->height() <= 0) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
