#!/bin/sh
# Makes the songs that the player-window tests add and play. Usage: make-fixtures.sh <folder>
# Files that exist are kept, so a second run does nothing.
set -eu
mkdir -p "$1/songs/sub/deeper" "$1/short" "$1/display" "$1/intl"
cd "$1"

# needed <file>: true when <file> is still to be made; the encoder writes $OUT and done_ moves it.
needed() {
  [ -s "$1" ] && return 1
  OUT=$(dirname "$1")/tmp-$$-$(basename "$1")
  return 0
}
done_() { mv "$OUT" "$1"; }

if needed tone.wav; then sox -n -r 44100 -c 2 -b 16 "$OUT" synth 2 sine 440 vol 0.3; done_ tone.wav; fi
if needed blip.wav; then sox -n -r 44100 -c 2 -b 16 "$OUT" synth 0.4 sine 660 vol 0.3; done_ blip.wav; fi
if needed long.wav; then sox -n -r 44100 -c 2 -b 16 "$OUT" synth 20 sine 330 vol 0.3; done_ long.wav; fi

# A folder with sub-folders: tagged MP3, Ogg and WAV, an untagged "Band - Song" name, and a text file.
if needed songs/a.mp3; then
  lame --quiet -b 128 --ta "Alpha" --tt "First" --tl "Album A" --ty 2001 --tn 1 --tg Rock tone.wav "$OUT"
  done_ songs/a.mp3
fi
if needed "songs/Band - Song.mp3"; then lame --quiet -b 128 tone.wav "$OUT"; done_ "songs/Band - Song.mp3"; fi
if needed songs/sub/b.ogg; then
  oggenc -Q -q 3 -a "Beta" -t "Second" -l "Album B" -N 2 -d 2002 tone.wav -o "$OUT"
  done_ songs/sub/b.ogg
fi
if needed songs/sub/deeper/c.wav; then cp tone.wav "$OUT"; done_ songs/sub/deeper/c.wav; fi
if needed songs/notes.txt; then echo "not a song" >"$OUT"; done_ songs/notes.txt; fi

# Short songs that end quickly, for the next-song tests; a long one to seek in.
for N in 1 2 3; do
  if needed short/s$N.mp3; then
    lame --quiet -b 128 --ta "Short" --tt "Song $N" blip.wav "$OUT"
    done_ short/s$N.mp3
  fi
done
if needed long.mp3; then lame --quiet -b 128 --ta "Long" --tt "Song" long.wav "$OUT"; done_ long.mp3; fi

# Tags for the song display: album and track, no genre.
if needed display/tags.mp3; then
  lame --quiet -b 128 --ta "Art" --tt "Tit" --tl "Alb" --tn 3 blip.wav "$OUT"
  done_ display/tags.mp3
fi

# Greek and Japanese names and tags (ID3v2 in UTF-16), two songs of one Greek artist.
if needed "intl/Αθήνα.mp3"; then
  lame --quiet -b 128 --id3v2-only --id3v2-utf16 --ta "Ελευθερία" --tt "Νύχτα στην Αθήνα" --tl "Ακρόπολη" \
    blip.wav "$OUT"
  done_ "intl/Αθήνα.mp3"
fi
if needed "intl/Πειραιάς.mp3"; then
  lame --quiet -b 128 --id3v2-only --id3v2-utf16 --ta "Ελευθερία" --tt "Λιμάνι" blip.wav "$OUT"
  done_ "intl/Πειραιάς.mp3"
fi
if needed "intl/東京.mp3"; then
  lame --quiet -b 128 --id3v2-only --id3v2-utf16 --ta "東京事変" --tt "夜空の歌" --tl "東京" blip.wav "$OUT"
  done_ "intl/東京.mp3"
fi

# A folder whose sub-folder links back to it: Wine shows the link as a folder reparse point, as Windows
# shows a junction, and the add-folder window must not follow it.
mkdir -p cycle/sub
: >cycle/a.mp3
: >cycle/sub/b.mp3
ln -sfn .. cycle/sub/loop

# A music folder with links: one to another music folder, which links back to the first, and one back up
# its own tree. The other folder is searched; the links back are not followed.
mkdir -p linked/music/sub linked/other
: >linked/music/a.mp3
: >linked/music/sub/b.mp3
: >linked/other/o.mp3
ln -sfn ../../other linked/music/sub/more
ln -sfn .. linked/music/sub/loop
ln -sfn ../music linked/other/back

# Nine folders, each with links to the eight others: a search that follows links walks every order of them,
# close to a million folders, far longer than a later copy of the program waits for its answer.
for I in 0 1 2 3 4 5 6 7 8; do
  mkdir -p tangle/d$I
  for J in 0 1 2 3 4 5 6 7 8; do [ $I = $J ] || ln -sfn ../d$J tangle/d$I/l$J; done
done
