#!/bin/sh
# wine-isolate.sh <prefix>
# Wine links the user's Desktop, Documents and other folders to the Linux home
# folder; tests and demonstrations must not write there. Each link becomes a
# real folder inside the prefix.
# It also puts the fonts every Windows has (Tahoma, Marlett for the caption
# buttons, ...) into the prefix's Fonts folder: Debian's Wine reads fonts only
# from there, so without them windows are measured and drawn with stand-ins.
set -eu
for link in "$1"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
if [ -d /usr/share/wine/fonts ]; then
  mkdir -p "$1/drive_c/windows/Fonts"
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -f "$font" ] && ln -sf "$font" "$1/drive_c/windows/Fonts/"
  done
fi
