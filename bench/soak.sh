#!/usr/bin/env bash
# A long show on a virtual X screen: Interval 0 over 500 mixed files
# (pictures, short videos, sounds, MIDI, play lists, and some corrupt
# files). Prints the resident size once a minute, and at the end whether
# the show is still up, how much it grew after its first ten minutes, and
# whether every corrupt file, and nothing else, was renamed.
#
#   bench/soak.sh [seconds] [program]     default: 3600 s, build/vimbrel
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
program=$(realpath "${2:-build/vimbrel}")

work=$(mktemp -d /tmp/vimbrel-soak.XXXXXX)
media=$work/media
home=$work/settings
mkdir -p "$media/lists" "$home"
echo "making 500 files in $media"

make() { ffmpeg -nostdin -loglevel error -y "$@"; }
# Templates, copied many times under other names.
make -f lavfi -i "testsrc2=size=640x360:rate=25:duration=1" -c:v mpeg4 "$work/clip.avi"
make -f lavfi -i "testsrc2=size=320x240:rate=25:duration=1" -c:v mpeg1video "$work/clip.mpg"
make -f lavfi -i "sine=frequency=330:duration=1" "$work/tone.wav"
make -f lavfi -i "sine=frequency=550:duration=1" -c:a libmp3lame "$work/tone.mp3"
convert -size 1600x1200 plasma:fractal "$work/picture.jpg" 2>/dev/null ||
    make -f lavfi -i "mandelbrot=size=1600x1200" -frames:v 1 "$work/picture.jpg"
cp "$(dirname "$0")/../demo/media/Lullaby.mid" "$work/tune.mid"

corrupt=()
for i in $(seq -w 1 500); do
    case $((10#$i % 20)) in
    0) name="broken$i.avi"; head -c 4096 /dev/urandom > "$media/$name"; corrupt+=("$name") ;;
    1) name="broken$i.jpg"; printf '\xff\xd8\xff\xe0 cut' > "$media/$name"; corrupt+=("$name") ;;
    2 | 3) cp "$work/clip.avi" "$media/movie$i.avi" ;;
    4) cp "$work/clip.mpg" "$media/movie$i.mpg" ;;
    5 | 6) cp "$work/tone.wav" "$media/sound$i.wav" ;;
    7) cp "$work/tone.mp3" "$media/sound$i.mp3" ;;
    8) cp "$work/tune.mid" "$media/tune$i.mid" ;;
    9)
        cp "$work/tone.wav" "$media/lists/a$i.wav"
        cp "$work/tone.mp3" "$media/lists/b$i.mp3"
        printf '#EXTM3U\nlists/a%s.wav\nlists/b%s.mp3\nlists/missing.wav\n' "$i" "$i" \
            > "$media/list$i.m3u"
        ;;
    *) cp "$work/picture.jpg" "$media/picture$i.jpg" ;;
    esac
done
before=$(cd "$media" && find . -type f | sort)

printf '%s\r\n' '[Options]' 'Settings=vimbrel000.ini' > "$home/vimbrel.ini"
printf '%s\r\n' '[Options]' 'RandomFolder=0' 'Folders=1' 'MouseMoves=4' '[Folder1]' \
    'Captions=1' 'Center=1' 'Interval=0' 'ImageScale=3' 'RandomOrder=1' "Set=$media" \
    > "$home/vimbrel000.ini"

# A display number of the server's own choosing, so that no other X
# server on the machine is taken.
Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp > "$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
DISPLAY=$display VIMBREL_HOME=$home VIMBREL_AUDIO_OUTPUT=null XDG_RUNTIME_DIR=$work \
    "$program" /S 2> "$work/stderr.log" &
show=$!

rss() { awk '/VmRSS/ { print int($2 / 1024) }' "/proc/$show/status" 2>/dev/null || echo 0; }
start=$(date +%s)
readings=()
minute=0
while [ $(($(date +%s) - start)) -lt "$seconds" ]; do
    sleep 60
    minute=$((minute + 1))
    if ! kill -0 "$show" 2>/dev/null; then
        echo "minute $minute: the show is gone"
        break
    fi
    size=$(rss)
    echo "minute $minute: resident $size MB"
    readings+=("$size")
done

alive=no
kill -0 "$show" 2>/dev/null && alive=yes
final=$(rss)
DISPLAY=$display xdotool key q || true
wait "$show" 2>/dev/null || true

echo "show still up at the end: $alive"
# The resident size jumps by some 20 MB from one reading to the next as a
# tune's synthesizer is readied or a video plays, so single readings, and
# even medians of a few, say little. Ten readings are compared with ten:
# minutes 10 to 19 against the last ten, by their mean and by their
# highest, which a growing process raises.
window() { printf '%s\n' "$@" | awk '{ sum += $1; if ($1 > top) top = $1 } END { printf "%d %d", sum / NR + 0.5, top }'; }
if [ "${#readings[@]}" -ge 29 ]; then
    read -r earlyMean earlyTop <<< "$(window "${readings[@]:9:10}")"
    read -r lateMean lateTop <<< "$(window "${readings[@]: -10}")"
    echo "resident, minutes 10-19: mean $earlyMean MB, highest $earlyTop MB;" \
        "last ten: mean $lateMean MB, highest $lateTop MB"
    echo "growth: mean $((lateMean - earlyMean)) MB, highest $((lateTop - earlyTop)) MB (target < 10)"
fi
echo "resident at the end: $final MB"
after=$(cd "$media" && find . -type f | sort)
expected=$before
for name in "${corrupt[@]}"; do
    expected=$(printf '%s\n' "$expected" | sed "s#^\./$name\$#./_$name#")
done
expected=$(printf '%s\n' "$expected" | sort)
if [ "$after" = "$expected" ]; then
    echo "files: every one of the ${#corrupt[@]} corrupt files renamed once, nothing else touched"
else
    echo "files: NOT as expected; differences:"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$after") || true
fi
echo "work folder: $work"
