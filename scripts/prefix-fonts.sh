#!/bin/sh
# Gives the Wine prefix of the environment the fonts that Windows has for the player's windows.
# Wine's Marlett draws the buttons of the title bars (Debian's Wine keeps it out of new prefixes, which
# then show "0 1 r" there).
FONTS=$(wine winepath -u 'C:\windows\Fonts' </dev/null 2>/dev/null)
[ -n "$FONTS" ] && [ ! -e "$FONTS/marlett.ttf" ] && [ -e /usr/share/wine/fonts/marlett.ttf ] &&
  cp /usr/share/wine/fonts/marlett.ttf "$FONTS/"
# Wine has no Courier New: the error log's fixed-pitch font would come out proportional. The WenQuanYi
# file's fixed-pitch face stands in, Chinese and Japanese included. A prefix that names a stand-in
# already keeps it.
SUBST='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
wine reg query "$SUBST" /v "Courier New" </dev/null >/dev/null 2>&1 ||
  wine reg add "$SUBST" /v "Courier New" /d "WenQuanYi Micro Hei Mono" /f </dev/null >/dev/null 2>&1
# A Chinese and Japanese font linked to the faces the player draws with, as Windows links one to them:
# names in those scripts show as text, not as boxes. Wine draws title bars in "MS Shell Dlg", which it
# replaces by Tahoma, and links by that face; the fonts Tahoma's own link names are not there, so ours
# goes behind them.
KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
WQY='wqy-microhei.ttc,WenQuanYi Micro Hei'
LINKED=$(wine reg query "$KEY" </dev/null 2>/dev/null | tr -d '\r')
for face in "MS Sans Serif" "Courier New" Arial Tahoma; do
  OLD=$(printf '%s\n' "$LINKED" | sed -n "s/^ *$face  *REG_MULTI_SZ  *//p")
  case $OLD in *WenQuanYi*) continue ;; esac
  wine reg add "$KEY" /v "$face" /t REG_MULTI_SZ /d "${OLD:+$OLD\\0}$WQY" /f </dev/null >/dev/null 2>&1
done
exit 0
