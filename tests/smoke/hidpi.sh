#!/usr/bin/env bash
# Starts the real program at twice the pixels per point (QT_SCALE_FACTOR=2) and checks in a
# screenshot that the text it paints itself is drawn with the screen's own pixels: in the hour
# label "06:00" and the day caption, many aligned 2 x 2 blocks hold more than one colour, where a
# pixel-doubled picture has none.
#   hidpi.sh <folder of the agendix binary> <screenshot folder>
set -euo pipefail
bin="$1/agendix"
shots="$2"
mkdir -p "$shots"
source "$(dirname "$0")/common.bash"

QT_SCALE_FACTOR=2 start_agendix "$bin"
main="$(wait_window '나의 일정관리')"
sleep 1.5
shot="$shots/agendix-scale2.png"
import -window "$main" "$shot"

# Device rectangles (x, y, w, h) of the hour label 06:00 and of the day caption's text.
for area in "16 80 54 26" "40 22 300 40"; do
  set -- $area
  convert "$shot" -crop "${3}x${4}+${1}+${2}" -depth 8 rgb:- | /usr/bin/python3 -c '
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
px = sys.stdin.buffer.read()
at = lambda x, y: px[3 * (y * w + x):3 * (y * w + x) + 3]
background = max(set(at(x, y) for x in range(w) for y in range(h)),
                 key=lambda c: sum(at(x, y) == c for x in range(0, w, 3) for y in range(0, h, 3)))
inked = split = 0
for y in range(0, h - 1, 2):
    for x in range(0, w - 1, 2):
        block = {at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1)}
        if block != {background}:
            inked += 1
            split += len(block) > 1
print(f"{inked} inked 2x2 blocks, {split} of them with more than one colour")
sys.exit(0 if inked > 20 and split * 2 > inked else "text is pixel-doubled")
' "$3" "$4"
done
echo "sharp at scale 2: $shot"
