#!/bin/sh
# png-to-ico.sh <256x256 PNG> <ICO>: wraps one PNG image as a Windows icon
# (an icon directory with one PNG-compressed entry, as Windows Vista and
# later read it).
set -eu
png=$1
ico=$2
size=$(wc -c <"$png")
le32() {  # little-endian 32-bit value as octal escapes for printf
  printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $((($1 >> 8) & 255)) \
    $((($1 >> 16) & 255)) $((($1 >> 24) & 255))
}
{
  # ICONDIR: reserved, type 1 (icon), one image.
  printf '\000\000\001\000\001\000'
  # ICONDIRENTRY: 256 x 256 (stored as 0), no palette, reserved, 1 plane,
  # 32 bits per pixel, the PNG's size, and its offset (6 + 16 = 22).
  printf '\000\000\000\000\001\000\040\000'
  printf "$(le32 "$size")"
  printf "$(le32 22)"
  cat "$png"
} >"$ico"
