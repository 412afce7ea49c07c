#!/bin/sh
# Makes the audio files that the audio tests read. Usage: make-fixtures.sh <folder>
# Files that exist are kept, so a second run does nothing.
set -eu
mkdir -p "$1"
cd "$1"

# needed <file>: true when <file> is still to be made; the encoder then writes $OUT and done_ moves it
# into place, so an interrupted run leaves no half-written fixture behind.
needed() {
  [ -s "$1" ] && return 1
  OUT=tmp-$$-$1
  return 0
}
done_() { mv "$OUT" "$1"; }

if needed tone.wav; then sox -n -r 44100 -c 2 -b 16 "$OUT" synth 1 sine 440 vol 0.5; done_ tone.wav; fi
if needed mono.wav; then sox -n -r 44100 -c 1 -b 16 "$OUT" synth 1 sine 440 vol 0.5; done_ mono.wav; fi

if needed cbr.mp3; then
  lame --quiet -b 128 --tt "Cbr Title" --ta "Cbr Artist" --tl "Cbr Album" --ty 2003 --tn 7 --tg Rock \
    tone.wav "$OUT"
  done_ cbr.mp3
fi
if needed vbr.mp3; then
  lame --quiet -V 4 --id3v2-only --tt "Vbr Title" --ta "Vbr Artist" --tn 3/12 tone.wav "$OUT"
  done_ vbr.mp3
fi
if needed v1only.mp3; then
  lame --quiet -b 128 --id3v1-only --tt "Old Title" --ta "Old Artist" --tn 5 --tg Pop tone.wav "$OUT"
  done_ v1only.mp3
fi
if needed plain.mp3; then lame --quiet -b 128 tone.wav "$OUT"; done_ plain.mp3; fi
if needed mono.mp3; then lame --quiet -b 64 -m m mono.wav "$OUT"; done_ mono.mp3; fi

if needed tagged.ogg; then
  oggenc -Q -q 3 -t "Ogg Title" -a "Ogg Artist" -l "Ogg Album" -N 3/12 -d 2004 -G Jazz tone.wav -o "$OUT"
  done_ tagged.ogg
fi
if needed plain.ogg; then oggenc -Q -q 3 tone.wav -o "$OUT"; done_ plain.ogg; fi

if needed tagged.wma; then
  ffmpeg -nostdin -loglevel error -y -i tone.wav -c:a wmav2 -b:a 128k -metadata title="Wma Title" \
    -metadata artist="Wma Artist" -metadata album="Wma Album" -metadata WM/Year=2005 -metadata WM/Track=6 \
    -f asf "$OUT"
  done_ tagged.wma
fi

# For the playback engine: a longer song to seek in, a file with video and audio (its video goes to the
# null renderer), one with video only (no audio stream) and text that no splitter takes.
if needed long.wav; then sox -n -r 44100 -c 2 -b 16 "$OUT" synth 10 sine 330 vol 0.5; done_ long.wav; fi
if needed long.mp3; then lame --quiet -b 128 long.wav "$OUT"; done_ long.mp3; fi
if needed av.avi; then
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25 -i tone.wav -t 1 -c:v mjpeg \
    -c:a pcm_s16le -f avi "$OUT"
  done_ av.avi
fi
if needed videoonly.avi; then
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25 -t 1 -c:v mjpeg -an -f avi "$OUT"
  done_ videoonly.avi
fi
# Audio with a subtitle stream that nothing renders: RenderFile reports a partial render.
if needed subtitled.mkv; then
  printf '1\n00:00:00,000 --> 00:00:01,000\nHello\n' >"tmp-$$-subtitles.srt"
  ffmpeg -nostdin -loglevel error -y -i tone.wav -i "tmp-$$-subtitles.srt" -c:a libvorbis -c:s srt -f matroska "$OUT"
  rm -f "tmp-$$-subtitles.srt"
  done_ subtitled.mkv
fi
if needed notaudio.txt; then echo "this is not audio" >"$OUT"; done_ notaudio.txt; fi
