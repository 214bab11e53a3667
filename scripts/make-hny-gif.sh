#!/usr/bin/env bash
# Draws the start-up picture res/hny.gif (84 x 90): a fir tree with baubles and a star on a
# night sky with snow, and "2027" in gold below it. Needs ImageMagick's `convert`; the result is
# committed, so this only runs when the picture is to change.
set -euo pipefail
cd "$(dirname "$0")/.."

# The year in seven-segment strokes, each digit 8 x 12 pixels, 4 pixels apart.
digit() { # digit x0 y0 n
    local x=$1 y=$2 n=$3
    local r=$((x + 8)) m=$((y + 6)) b=$((y + 12))
    case $n in
    0) echo "polyline $x,$y $r,$y $r,$b $x,$b $x,$y" ;;
    2) echo "polyline $x,$y $r,$y $r,$m $x,$m $x,$b $r,$b" ;;
    7) echo "polyline $x,$y $r,$y $((x + 3)),$b" ;;
    esac
}

year=""
x=20
for n in 2 0 2 7; do
    year="$year $(digit $x 75 $n)"
    x=$((x + 12))
done

convert -size 84x90 xc:'#0b1e4a' \
    -fill '#1d3570' -draw 'rectangle 0,60 84,90' \
    -fill white -draw 'ellipse 42,71 44,6 0,360' \
    -fill '#ffffff' -draw 'point 6,6 point 15,20 point 70,9 point 77,28 point 9,40 point 64,44
        point 24,6 point 58,18 point 3,58 point 80,50 point 30,28 point 72,62' \
    -fill '#fff4a0' -draw 'polygon 12,11 13,13 15,14 13,15 12,17 11,15 9,14 11,13' \
    -fill '#fff4a0' -draw 'polygon 72,17 73,19 75,20 73,21 72,23 71,21 69,20 71,19' \
    -fill '#6b3b12' -draw 'rectangle 38,62 46,70' \
    -fill '#1e8a3a' -draw 'polygon 42,36 16,64 68,64' \
    -fill '#25a045' -draw 'polygon 42,22 23,47 61,47' \
    -fill '#2fb650' -draw 'polygon 42,11 29,32 55,32' \
    -fill '#ffffff' -draw 'polyline 33,29 42,26 51,29' -draw 'polyline 28,44 42,39 56,44' \
    -draw 'polyline 21,61 42,54 63,61' \
    -fill '#e02828' -draw 'circle 36,35 37,37' -draw 'circle 50,52 51,54' -draw 'circle 30,58 31,60' \
    -fill '#ffd23a' -draw 'circle 47,40 48,42' -draw 'circle 40,57 41,59' -draw 'circle 56,60 57,62' \
    -fill '#3aa0ff' -draw 'circle 38,47 39,49' -draw 'circle 45,29 46,31' \
    -fill '#ffd23a' -stroke '#ffb000' -strokewidth 0.5 \
    -draw 'polygon 42.0,2.0 43.5,5.9 47.7,6.1 44.5,8.8 45.5,12.9 42.0,10.6 38.5,12.9 39.5,8.8 36.3,6.1 40.5,5.9' \
    -fill none -stroke '#ffd23a' -strokewidth 2 -draw "$year" \
    +dither -colors 32 -strip res/hny.gif

echo "wrote res/hny.gif"
