#!/bin/sh
# Links a Chinese and Japanese font to the faces the player draws with, in the Wine prefix of the
# environment, as Windows links one to them: names in those scripts show as text, not as boxes. A face
# that has a link already keeps it.
KEY='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
LINKED=$(wine reg query "$KEY" </dev/null 2>/dev/null | tr -d '\r')
for face in "MS Sans Serif" "Courier New" Arial; do
  printf '%s\n' "$LINKED" | grep -q "^ *$face  *REG_" && continue
  wine reg add "$KEY" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f </dev/null >/dev/null 2>&1
done
