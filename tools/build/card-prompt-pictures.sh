#!/usr/bin/env bash
# Draws the card prompt's two pictures (resources 248 and 249): 450 × 95 JPEG,
# a chip card and its case at the left, the instruction at the right on a light
# background. Needs ImageMagick and fonts-arphic-uming. Writes into resources/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
font=/usr/share/fonts/truetype/arphic/uming.ttc
heading="啟動交易安全機制，請依下列步驟操作："

draw() {  # draw OUTPUT STEP-TEXT CARD-OFFSET
  local output="$1" step="$2" offset="$3"
  convert -size 450x95 xc:'#f4f6f8' \
    -fill '#3a5f8f' -stroke '#23406a' -draw "roundrectangle 8,14 74,84 6,6" \
    -fill '#e8eef5' -stroke none -draw "rectangle 14,20 68,30" \
    -fill '#d9e6f5' -stroke '#4a76b0' -strokewidth 2 -draw "roundrectangle $((30 + offset)),10 $((104 + offset)),56 5,5" \
    -fill '#d4af37' -stroke '#8a6d1c' -strokewidth 1 -draw "roundrectangle $((40 + offset)),22 $((56 + offset)),36 2,2" \
    -stroke '#8a6d1c' -draw "line $((48 + offset)),22 $((48 + offset)),36" -draw "line $((40 + offset)),29 $((56 + offset)),29" \
    -stroke none -fill '#1b2a3a' -font "$font" -pointsize 15 -annotate +148+36 "$heading" \
    -fill '#c0392b' -draw "polygon 156,58 156,72 168,65" \
    -fill '#1b2a3a' -pointsize 18 -annotate +176+72 "$step" \
    -strip -quality 88 "$output"
}

draw resources/card_prompt_remove.jpg "請拔出晶片卡再插入" 30
draw resources/card_prompt_insert.jpg "請插入晶片卡" 0
