# Sourced with the build folder in $BUILD: a throw-away HOME and Wine prefix inside the build folder,
# never the user's own, and sound sent to the ALSA null device. A win64 prefix runs both targets: 32-bit
# programs under WoW64, as on 64-bit Windows.
ENVROOT=$BUILD/wine-env
export HOME=$ENVROOT/home WINEPREFIX=$ENVROOT/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LANG=C.UTF-8 LC_ALL=C.UTF-8
# Added to WINEDLLOVERRIDES for programs that play nothing: while the sound drivers' threads end, 32-bit
# Wine sometimes crashes in the exit of a process whose work is done (7 in 1,500 starts under load).
NO_SOUND_DRIVERS="winealsa.drv,winepulse.drv=d"
mkdir -p "$HOME" "$WINEPREFIX"  # a server starts only in a prefix folder that exists
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
