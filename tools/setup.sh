#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Orvex need.
# Idempotent: when everything is present it touches nothing and asks no registry.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-14 libclang-rt-14-dev clang-format-14
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libssl-dev openssl libcurl4-openssl-dev libsqlite3-dev zlib1g-dev libicu-dev
  libcpp-httplib-dev libsimdjson-dev libqrencode-dev
  libcairo2-dev libpango1.0-dev librsvg2-dev libgdk-pixbuf-2.0-dev fonts-noto-cjk
  fonts-noto-cjk-extra fonts-noto-color-emoji webp-pixbuf-loader libgif-dev
  libsdl2-dev libx11-dev libgl1-mesa-dri libegl-dev libgl-dev xvfb xauth libwebkit2gtk-4.1-dev
  libmpv-dev ffmpeg
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
