#!/usr/bin/env bash
# Writes the gallery of the application's screens into DIR: the journey tests start the
# development service with a fresh data root, launch the application headless, walk to
# every built screen and state worth seeing and leave one PNG per state in DIR; then
# DIR/index.html shows them side by side with their names.
#
#   bash tools/screenshots.sh DIR
#
# ORVEX_TEST_JOBS and ORVEX_BUILD_JOBS set how many journeys and compilers run at once
# (3 by default: the machine is shared).
# Pictures are named "area-state" ("home-recommend-loaded"); the page groups them by area.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: bash tools/screenshots.sh DIR" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$1"
out="$(cd "$1" && pwd)"
rm -f "$out"/*.png "$out/index.html"

bash "$root/tools/setup.sh"
build="$(ORVEX_BUILD_JOBS="${ORVEX_BUILD_JOBS:-3}" bash "$root/tools/build-tests.sh" | tail -n 1)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export ORVEX_GALLERY_DIR="$out"
status=0
(cd "$build" && ctest -R 'Journey\.' -j "${ORVEX_TEST_JOBS:-3}" --output-on-failure) || status=$?

html_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g'; }
{
  echo '<!doctype html><html><head><meta charset="utf-8"><title>Orvex gallery</title>'
  echo '<style>body{background:#111;color:#ddd;font-family:sans-serif;margin:16px}'
  echo 'h2{font-size:18px;margin:24px 0 8px;text-transform:capitalize}'
  echo 'main{display:flex;flex-wrap:wrap;gap:16px}figure{margin:0;width:300px}'
  echo 'img{width:300px;border:1px solid #333}figcaption{font-size:13px;padding:4px 0;word-break:break-all}</style>'
  echo '</head><body><h1>Orvex gallery</h1>'
  area=""
  for png in "$out"/*.png; do
    [ -e "$png" ] || continue
    name="$(basename "$png" .png | html_escape)"
    this_area="${name%%-*}"
    if [ "$this_area" != "$area" ]; then
      [ -n "$area" ] && echo '</main>'
      area="$this_area"
      echo "<h2>$area</h2><main>"
    fi
    echo "<figure><a href=\"$name.png\"><img src=\"$name.png\" alt=\"$name\"></a><figcaption>$name</figcaption></figure>"
  done
  [ -n "$area" ] && echo '</main>'
  echo '</body></html>'
} > "$out/index.html"
echo "gallery: $(ls "$out"/*.png 2>/dev/null | wc -l) pictures, $out/index.html"
exit "$status"
