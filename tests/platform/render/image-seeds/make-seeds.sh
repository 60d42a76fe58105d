#!/usr/bin/env bash
# Makes the raster seeds of the image decoding fuzzer in this folder: small valid files of
# every format the decoders take (the SVG seeds are written by hand). Run again only to
# change them; the files are kept in the repository.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
src() { echo "testsrc2=s=$1:d=1"; }

ff -f lavfi -i "$(src 16x12)" -frames:v 1 -pix_fmt rgb24 rgb.png
ff -f lavfi -i "$(src 12x12),format=rgba,colorchannelmixer=aa=0.5" -frames:v 1 -pix_fmt rgba rgba.png
ff -f lavfi -i "$(src 16x8)" -frames:v 1 -pix_fmt gray grey.png
ff -f lavfi -i "$(src 8x8)" -frames:v 1 -pix_fmt gray16be grey16.png
ff -f lavfi -i "$(src 10x10)" -frames:v 1 -pix_fmt pal8 palette.png
ff -f lavfi -i "$(src 8x6)" -frames:v 1 -pix_fmt rgb48be deep.png
ff -f lavfi -i "$(src 16x16)" -frames:v 1 -pix_fmt monob mono.png
ff -f lavfi -i "$(src 12x8),format=rgba,colorchannelmixer=aa=0.7" -frames:v 1 -pix_fmt ya8 -pred mixed -dpi 144 grey-alpha.png
ff -f lavfi -i "testsrc2=s=12x12:r=4:d=0.75" -plays 0 -f apng animated.apng

ff -f lavfi -i "$(src 16x12)" -frames:v 1 -q:v 5 -pix_fmt yuvj420p baseline.jpg
ff -f lavfi -i "$(src 16x16)" -frames:v 1 -q:v 2 -pix_fmt yuvj444p full-chroma.jpg
ff -f lavfi -i "$(src 16x16)" -frames:v 1 -q:v 8 -pix_fmt yuvj422p half-chroma.jpg

ff -f lavfi -i "$(src 16x12)" -frames:v 1 still.gif
ff -f lavfi -i "testsrc2=s=12x12:r=5:d=0.6,split[a][b];[a]palettegen=max_colors=8:reserve_transparent=1[p];[b][p]paletteuse" \
  -loop 0 animated.gif
ff -f lavfi -i "$(src 12x10),format=rgba,geq=r='r(X,Y)':a='if(gt(X,5),255,0)',split[a][b];[a]palettegen=reserve_transparent=1[p];[b][p]paletteuse=alpha_threshold=128" \
  -frames:v 1 transparent.gif

ff -f lavfi -i "$(src 16x12)" -frames:v 1 -c:v libwebp -quality 50 lossy.webp
ff -f lavfi -i "$(src 16x12)" -frames:v 1 -c:v libwebp -lossless 1 lossless.webp
ff -f lavfi -i "$(src 12x12),format=yuva420p,colorchannelmixer=aa=0.5" -frames:v 1 -c:v libwebp -pix_fmt yuva420p \
  alpha.webp
# FFmpeg writes only the first frame of an animated WebP: two frames (one lossy, one
# lossless) go into an animation container here.
ff -f lavfi -i "$(src 12x12)" -frames:v 1 -c:v libwebp -quality 40 "$work/first.webp"
ff -ss 0.5 -f lavfi -i "$(src 12x12)" -frames:v 1 -c:v libwebp -lossless 1 "$work/second.webp"
python3 - animated.webp "$work/first.webp" "$work/second.webp" <<'PY'
import struct, sys


def chunks(data):
    pos = 12
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        yield tag, data[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)


def chunk(tag, payload):
    return tag + struct.pack("<I", len(payload)) + payload + (b"\0" if len(payload) & 1 else b"")


def u24(value):
    return struct.pack("<I", value)[:3]


out, frames = sys.argv[1], sys.argv[2:]
size = None
body = b""
for index, name in enumerate(frames):
    tag, bitstream = next((t, p) for t, p in chunks(open(name, "rb").read()) if t in (b"VP8 ", b"VP8L"))
    if tag == b"VP8 ":
        width, height = (v & 0x3FFF for v in struct.unpack("<HH", bitstream[6:10]))
    else:
        bits = struct.unpack("<I", bitstream[1:5])[0]
        width, height = (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1
    size = size or (width, height)
    frame = u24(0) + u24(0) + u24(width - 1) + u24(height - 1) + u24(100 * (index + 1)) + bytes([index & 1])
    body += chunk(b"ANMF", frame + chunk(tag, bitstream))
payload = (b"WEBP" + chunk(b"VP8X", bytes([0x02, 0, 0, 0]) + u24(size[0] - 1) + u24(size[1] - 1)) +
           chunk(b"ANIM", struct.pack("<IH", 0xFF202020, 0)) + body)
open(out, "wb").write(b"RIFF" + struct.pack("<I", len(payload)) + payload)
PY
