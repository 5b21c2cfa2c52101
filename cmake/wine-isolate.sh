#!/bin/sh
# wine-isolate.sh <prefix>
# Wine links the user's Desktop, Documents and other folders to the Linux home
# folder; tests and demonstrations must not write there. Each link becomes a
# real folder inside the prefix.
# It also puts the fonts every Windows has (Tahoma, Marlett for the caption
# buttons, ...) into the prefix's Fonts folder: Debian's Wine reads fonts only
# from there, so without them windows are measured and drawn with stand-ins.
# Windows links Tahoma to the fonts that hold Chinese, Japanese and Korean
# letters; the prefix gets the same link to a free font that holds them.
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
cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
if [ -f "$cjk" ]; then
  mkdir -p "$1/drive_c/windows/Fonts"
  ln -sf "$cjk" "$1/drive_c/windows/Fonts/"
  for face in Tahoma 'Tahoma Bold' 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    WINEPREFIX="$1" WINEDEBUG=-all /usr/lib/wine/wine64 reg add \
      'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
      /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 </dev/null || true
  done
  WINEPREFIX="$1" wineserver -w
fi
