#!/usr/bin/env bash
# Draws the artwork of Setup, Uninstall and the icon library with ImageMagick
# (the files it makes are committed; run it again only to change them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
im=/usr/bin/convert
top='#143c78'
bottom='#3c8cd0'
font=DejaVu-Sans
bold=DejaVu-Sans-Bold
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---- Setup: a banner per page and the welcome logo ----
banner() {  # $1 = file, $2 = step text, then drawing arguments for the glyph
  local out=$1 step=$2
  shift 2
  "$im" -size 132x356 "gradient:$top-$bottom" \
    -fill white -font "$bold" -pointsize 20 -gravity north -annotate +0+18 'Velmaro' \
    -font "$font" -pointsize 11 -fill '#cfe2f7' -annotate +0+44 'Setup' \
    -gravity northwest -stroke none "$@" -stroke none -strokewidth 1 \
    -font "$font" -pointsize 10 -fill '#cfe2f7' -gravity south -annotate +0+14 "$step" \
    -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$out"
}
res="$root/setup/res"
mkdir -p "$res" "$root/uninstall/res"
banner "$res/welcome.bmp" 'Welcome' \
  -fill white -font "$bold" -pointsize 96 -gravity center -annotate +0+6 'V'
banner "$res/readme.bmp" 'Step 2 of 6' \
  -fill white -draw 'rectangle 36,120 96,200' -fill "$top" \
  -draw 'rectangle 44,132 88,135' -draw 'rectangle 44,144 88,147' -draw 'rectangle 44,156 80,159' \
  -draw 'rectangle 44,168 88,171' -draw 'rectangle 44,180 72,183'
banner "$res/folder.bmp" 'Step 3 of 6' \
  -fill '#f2c14e' -draw 'polygon 30,130 58,130 64,138 102,138 102,196 30,196' \
  -fill '#f7d77f' -draw 'polygon 30,146 102,146 102,196 30,196'
banner "$res/shortcuts.bmp" 'Step 4 of 6' \
  -fill white -draw 'rectangle 32,124 100,196' -fill "$top" -draw 'rectangle 32,124 100,136' \
  -fill '#3c8cd0' -draw 'rectangle 40,146 56,162' -draw 'rectangle 40,172 56,188' \
  -fill "$top" -draw 'rectangle 62,152 92,155' -draw 'rectangle 62,178 92,181'
banner "$res/installing.bmp" 'Step 5 of 6' \
  -fill white -draw 'rectangle 58,112 74,150' -draw 'polygon 44,148 88,148 66,174' \
  -draw 'rectangle 34,184 98,200'
banner "$res/finished.bmp" 'Step 6 of 6' \
  -fill white -draw 'circle 66,160 66,118' -stroke '#2e8b57' -strokewidth 10 -fill none \
  -draw 'stroke-linecap round stroke-linejoin round polyline 46,160 60,176 88,142'
"$im" -size 288x120 "gradient:$top-$bottom" \
  -fill white -font "$bold" -pointsize 44 -annotate +18+62 'Velmaro' \
  -font "$font" -pointsize 13 -fill '#dbe9f8' -annotate +20+88 'Desktop tuning for Windows' \
  -pointsize 11 -annotate +20+108 'Version 1.0' \
  -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$res/logo.bmp"

# ---- Icons: 32x32 and 16x16 in one file ----
icon() {  # $1 = file, then drawing arguments on a 32x32 transparent square
  local out=$1
  shift
  "$im" -size 32x32 xc:none "$@" "$tmp/i32.png"
  "$im" "$tmp/i32.png" -resize 16x16 "$tmp/i16.png"
  "$im" "$tmp/i32.png" "$tmp/i16.png" "$out"
}
# The programs' own: a blue tile with the V, marked for installing or removing.
tile=(-fill "$bottom" -stroke "$top" -strokewidth 1 -draw 'roundrectangle 1,1 30,30 6,6'
      -fill white -stroke none -font "$bold" -pointsize 22 -gravity center -annotate +0+1 V
      -gravity northwest)
icon "$res/setup.ico" "${tile[@]}" -fill '#f2c14e' -stroke '#8a6a10' -draw 'polygon 18,20 30,20 24,29'
icon "$root/uninstall/res/uninstall.ico" "${tile[@]}" \
  -stroke '#b22222' -strokewidth 3 -draw 'line 19,19 28,28' -draw 'line 28,19 19,28'
# Uninstall's picture: a waste bin on the programs' blue, so that it does not
# depend on the colour of the window behind it.
"$im" -size 48x48 "gradient:$top-$bottom" \
  -fill white -stroke none -draw 'polygon 14,16 34,16 32,41 16,41' \
  -draw 'rectangle 10,10 38,14' -draw 'rectangle 20,6 28,10' \
  -stroke "$top" -strokewidth 2 -draw 'line 19,20 19,37' -draw 'line 24,20 24,37' \
  -draw 'line 29,20 29,37' \
  -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$root/uninstall/res/removing.bmp"

# The icon library: index 9 (the tenth icon) is blank; the others are shell
# objects' stand-ins to choose from.
lib="$root/iconlib/icons"
mkdir -p "$lib"
icon "$lib/01-computer.ico" -fill '#d9d9d9' -stroke '#404040' -draw 'rectangle 3,4 28,22' \
  -fill '#3c8cd0' -draw 'rectangle 6,7 25,19' -fill '#a0a0a0' -draw 'rectangle 10,23 21,27' \
  -draw 'rectangle 6,27 25,29'
icon "$lib/02-folder.ico" -fill '#f2c14e' -stroke '#8a6a10' \
  -draw 'polygon 2,8 12,8 15,11 29,11 29,27 2,27' -fill '#f7d77f' -draw 'polygon 2,14 29,14 29,27 2,27'
icon "$lib/03-open-folder.ico" -fill '#f2c14e' -stroke '#8a6a10' \
  -draw 'polygon 2,6 12,6 15,9 27,9 27,27 2,27' -fill '#f7d77f' -draw 'polygon 6,14 31,14 27,27 2,27'
icon "$lib/04-bin.ico" -fill '#b8c7d6' -stroke '#3d5a80' -draw 'polygon 7,9 25,9 23,30 9,30' \
  -draw 'rectangle 5,5 27,9' -draw 'line 12,12 12,27' -draw 'line 16,12 16,27' -draw 'line 20,12 20,27'
icon "$lib/05-full-bin.ico" -fill '#b8c7d6' -stroke '#3d5a80' -draw 'polygon 7,11 25,11 23,30 9,30' \
  -fill white -draw 'polygon 8,4 20,2 24,10 9,10' -fill '#b8c7d6' -draw 'rectangle 5,9 27,12'
icon "$lib/06-network.ico" -fill '#3c8cd0' -stroke '#143c78' -draw 'rectangle 2,4 13,13' \
  -draw 'rectangle 18,4 29,13' -draw 'rectangle 10,20 21,29' -stroke '#404040' \
  -draw 'line 7,13 7,17' -draw 'line 24,13 24,17' -draw 'line 7,17 24,17' -draw 'line 16,17 16,20'
icon "$lib/07-globe.ico" -fill '#3c8cd0' -stroke '#143c78' -draw 'circle 16,16 16,2' -fill none \
  -stroke '#cfe2f7' -draw 'ellipse 16,16 6,14 0,360' -draw 'line 2,16 30,16' -draw 'line 4,9 28,9' \
  -draw 'line 4,23 28,23'
icon "$lib/08-document.ico" -fill white -stroke '#404040' -draw 'polygon 6,2 20,2 26,8 26,30 6,30' \
  -stroke '#3c8cd0' -draw 'line 10,12 22,12' -draw 'line 10,17 22,17' -draw 'line 10,22 19,22'
icon "$lib/09-drive.ico" -fill '#c8c8c8' -stroke '#404040' -draw 'rectangle 2,10 29,22' \
  -fill '#2e8b57' -stroke none -draw 'rectangle 23,17 26,19'
icon "$lib/10-blank.ico"
icon "$lib/11-star.ico" -fill '#f2c14e' -stroke '#8a6a10' \
  -draw 'polygon 16,2 20,12 30,12 22,18 25,29 16,22 7,29 10,18 2,12 12,12'
icon "$lib/12-heart.ico" -fill '#d9534f' -stroke '#8b2a27' \
  -draw 'path "M16,28 L4,15 C0,9 6,2 12,5 C14,6 15,7 16,9 C17,7 18,6 20,5 C26,2 32,9 28,15 Z"'
icon "$lib/13-gear.ico" -fill '#8aa4c0' -stroke '#3d5a80' -strokewidth 5 -draw 'circle 16,16 16,6' \
  -fill white -stroke '#3d5a80' -strokewidth 1 -draw 'circle 16,16 16,11'
icon "$lib/14-key.ico" -fill '#f2c14e' -stroke '#8a6a10' -draw 'circle 10,16 10,8' \
  -draw 'rectangle 16,14 30,18' -draw 'rectangle 24,18 27,23' -fill none -draw 'circle 10,16 10,13'
icon "$lib/15-note.ico" -fill '#3c8cd0' -stroke '#143c78' -draw 'ellipse 10,24 5,4 0,360' \
  -draw 'ellipse 24,21 5,4 0,360' -draw 'rectangle 13,4 15,24' -draw 'rectangle 27,2 29,21' \
  -draw 'polygon 13,4 29,1 29,6 13,9'
icon "$lib/16-clock.ico" -fill white -stroke '#404040' -strokewidth 2 -draw 'circle 16,16 16,3' \
  -draw 'line 16,16 16,8' -draw 'line 16,16 22,19'
echo "artwork written"
