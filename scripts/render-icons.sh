#!/usr/bin/env bash
# Renders the desktop icons anew: the 32 x 32 PNG from the window icon's XPM rows
# in app/TeilomatIcon.cpp (ImageMagick), the larger PNGs from the scalable SVG
# drawn after it (rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
id=org.example.Teilomat
icons=data/icons/hicolor

for tool in convert rsvg-convert; do
  command -v "$tool" >/dev/null || { echo "render-icons.sh: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

xpm=$(mktemp /tmp/teilomat-icon.XXXXXX.xpm)
trap 'rm -f "$xpm"' EXIT
{
  echo '/* XPM */'
  echo 'static char *icon[] = {'
  sed -n '/kIconXpm\[\] = {/,/};/p' app/TeilomatIcon.cpp | grep -o '"[^"]*"' | paste -sd, -
  echo '};'
} >"$xpm"
convert "$xpm" -strip "PNG32:$icons/32x32/apps/$id.png"
for size in 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/scalable/apps/$id.svg" -o "$icons/${size}x${size}/apps/$id.png"
done
echo "rendered: $icons/{32x32,48x48,64x64,128x128,256x256}/apps/$id.png"
