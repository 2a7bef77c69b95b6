#!/usr/bin/env bash
# Opens a report page in headless Chromium (Debian's `chromium`) the way a
# person would and saves a screenshot, so one can check that the tracks and
# pictures show:
#
#     scripts/report_screenshot.sh PAGE.html OUT.png [WIDTH,HEIGHT]
#
# Exit status 0 with OUT.png written; 1 for a usage error; 2 when chromium is
# missing or wrote no picture. Chromium gets a throw-away profile and no
# network features (the page loads nothing from elsewhere anyway).
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 PAGE.html OUT.png [WIDTH,HEIGHT]" >&2
  exit 1
fi
page=$(realpath "$1")
out=$(realpath -m "$2")
size=${3:-1200,1600}
browser=${CHROMIUM:-chromium}
if ! command -v "$browser" > /dev/null; then
  echo "$0: $browser not found (Debian package chromium)" >&2
  exit 2
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
rm -f "$out"
timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --screenshot="$out" --window-size="$size" \
  "file://$page" > /dev/null 2>&1 || true
if [ ! -s "$out" ]; then
  echo "$0: chromium wrote no screenshot of $page" >&2
  exit 2
fi
echo "$out"
