#!/bin/sh
# Gives the Wine prefix of the environment the fonts that Windows has for the player's windows.
# Wine's Marlett draws the buttons of the title bars (Debian's Wine keeps it out of new prefixes, which
# then show "0 1 r" there).
FONTS=$(wine winepath -u 'C:\windows\Fonts' </dev/null 2>/dev/null)
[ -n "$FONTS" ] && [ ! -e "$FONTS/marlett.ttf" ] && [ -e /usr/share/wine/fonts/marlett.ttf ] &&
  cp /usr/share/wine/fonts/marlett.ttf "$FONTS/"
# A Chinese and Japanese font linked to the faces the player draws with, as Windows links one to them:
# names in those scripts show as text, not as boxes. A face that has a link already keeps it.
KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
LINKED=$(wine reg query "$KEY" </dev/null 2>/dev/null | tr -d '\r')
for face in "MS Sans Serif" "Courier New" Arial; do
  printf '%s\n' "$LINKED" | grep -q "^ *$face  *REG_" && continue
  wine reg add "$KEY" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f </dev/null >/dev/null 2>&1
done
exit 0
