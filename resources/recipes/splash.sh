#!/usr/bin/env bash
# Makes the launch video resources/splash.mp4 (2 s, 360 x 780, H.264 + AAC, about 50 KB)
# from ffmpeg's own sources and the application's logo: the logo grows on the page
# colour, the name fades in beneath it, and a short two-note chime plays.
# Usage: bash resources/recipes/splash.sh [output]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../splash.mp4}"
font="/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"

ffmpeg -v error -y \
  -f lavfi -i "color=c=0x1C1B20:s=360x780:r=25:d=2" \
  -width 240 -height 240 -loop 1 -framerate 25 -t 2 -i "$here/../images/logo.svg" \
  -f lavfi -i "sine=frequency=660:sample_rate=44100:duration=2" \
  -f lavfi -i "sine=frequency=990:sample_rate=44100:duration=2" \
  -filter_complex "
    [1:v]format=rgba,scale=w='2*trunc(80*min(1,0.55+0.45*t/0.5))':h=-2:eval=frame[logo];
    [0:v][logo]overlay=x='(W-w)/2':y='(H-h)/2-40':eval=frame,
         drawtext=fontfile=$font:text=Orvex:fontsize=34:fontcolor=white:x=(w-tw)/2:y=h/2+50:
         alpha='min(1,max(0,(t-0.6)/0.4))',format=yuv420p[v];
    [2:a]volume=0.35,afade=t=out:st=0.05:d=0.5[a1];
    [3:a]adelay=250|250,volume=0.3,afade=t=out:st=0.3:d=0.9[a2];
    [a1][a2]amix=inputs=2:normalize=0,atrim=0:2[a]" \
  -map "[v]" -map "[a]" \
  -c:v libx264 -preset veryslow -crf 30 -tune animation -g 50 -pix_fmt yuv420p \
  -c:a aac -b:a 48k -ac 1 -movflags +faststart -t 2 "$out"
