#!/usr/bin/env bash
# The show against the programs people would run instead, in the same run,
# on the same files, on a virtual 1920x1080 X screen:
#
#   video     a 12 s 1080p MPEG-4 clip at its own size: the show (as it
#             draws by default, and forced to draw in software) against
#             `mpv --vo=x11`; processor time and peak resident size over 12 s
#             (targets: processor <= 1.2x, resident <= 1.3x)
#   pictures  ten 6000x4000 JPEGs, one every 3 s, for 30 s: the show against
#             `feh -F -Z -D 3` (targets: resident <= 1.0x, processor <= 0.6x)
#   video 4K  a 10 s 3840x2160 H.264 MP4 (a phone's video), shown with the
#             collection's More Formats option on, against `mpv --vo=x11`;
#             processor time and peak resident size over 10 s
#   small     a show whose only picture is 64x64 pixels: resident size
#   stall     a key pressed while the show opens a video and reads a picture
#             whose open() is held for 8 s (a hung network mount, made by an
#             LD_PRELOAD shim built here): how long until the show ends
#             (target <= 1 s), and whether a file was renamed (none may be)
#
# Each program is stopped with SIGTERM at the end of its time; processor
# time (user + system) and peak resident size (VmHWM) are read from /proc
# just before.
#
#   bench/peers.sh [program] [work folder]   default: build/vimbrel, a new folder
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/vimbrel}")
work=${2:-$(mktemp -d /tmp/vimbrel-peers.XXXXXX)}
mkdir -p "$work"
chmod 700 "$work"
for tool in mpv feh Xvfb ffmpeg xdotool c++; do
    command -v "$tool" > /dev/null || { echo "missing $tool: scripts/install-deps.sh --bench" >&2; exit 1; }
done

make() { ffmpeg -nostdin -loglevel error -y "$@"; }
mkdir -p "$work/video" "$work/video4k" "$work/pictures" "$work/small" "$work/stall"
[ -f "$work/video/clip.avi" ] ||
    make -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=12" -c:v mpeg4 -q:v 3 \
        "$work/video/clip.avi"
[ -f "$work/video4k/phone.mp4" ] || {
    echo "making a 3840x2160 H.264 clip in $work/video4k"
    make -f lavfi -i "testsrc2=size=3840x2160:rate=30:duration=10" -c:v libx264 -preset veryfast \
        -crf 23 -pix_fmt yuv420p "$work/video4k/phone.mp4"
}
[ -f "$work/pictures/photo10.jpg" ] || {
    echo "making ten 6000x4000 pictures in $work/pictures"
    # Noise gives the pictures the detail of photographs, which costs a
    # decoder what a photograph costs.
    make -f lavfi -i "testsrc2=size=6000x4000:rate=1" -vf "noise=alls=24:allf=t" -frames:v 10 \
        -q:v 3 -start_number 1 "$work/pictures/photo%02d.jpg"
}
[ -f "$work/small/tiny.jpg" ] || make -f lavfi -i "testsrc2=size=64x64" -frames:v 1 "$work/small/tiny.jpg"
cp -f "$work/video/clip.avi" "$work/stall/slow.avi"
cp -f "$work/small/tiny.jpg" "$work/stall/slow.jpg"

# open() of files named slow.* held for 8 s, as on a hung network mount.
c++ -shared -fPIC -O2 -o "$work/stall.so" tests/support/HoldOpen.cpp -ldl

Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp > "$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")

# A collection of one folder for the show: settings in $1, folder $2,
# Interval $3, MoreFormats $4 (0 when not given).
collection() {
    mkdir -p "$1"
    printf '%s\r\n' '[Options]' 'Settings=vimbrel000.ini' > "$1/vimbrel.ini"
    printf '%s\r\n' '[Options]' 'RandomFolder=0' 'Folders=1' "MoreFormats=${4:-0}" '[Folder1]' \
        'Center=1' "Interval=$3" 'ImageScale=3' 'RandomOrder=0' "Set=$2" > "$1/vimbrel000.ini"
}

# Processor seconds and peak resident MB of a running process.
readings() {
    local ticks
    ticks=$(getconf CLK_TCK)
    awk -v t="$ticks" '{ printf "%.2f ", ($14 + $15) / t }' "/proc/$1/stat"
    awk '/VmHWM/ { printf "%d", $2 / 1024 }' "/proc/$1/status"
}

# Runs a command for $1 seconds, prints "processor resident".
measure() {
    local seconds=$1
    shift
    "$@" > /dev/null 2> "$work/last-stderr.log" &
    local pid=$!
    sleep "$seconds"
    if ! kill -0 "$pid" 2> /dev/null; then
        echo "0 0 (ended early; see $work/last-stderr.log)"
        return
    fi
    readings "$pid"
    kill -TERM "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    echo
}

show() { # settings folder, then environment assignments
    local home=$1
    shift
    exec env VIMBREL_HOME="$home" VIMBREL_AUDIO_OUTPUT=null XDG_RUNTIME_DIR="$work" "$@" "$program" /S
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }'; }
row() { # work, ours "cpu rss", peer "cpu rss"
    read -r ourCpu ourRss _ <<< "$2"
    read -r peerCpu peerRss _ <<< "$3"
    printf '%-44s processor %6.2f s vs %6.2f s = %s   resident %4d MB vs %4d MB = %s\n' "$1" \
        "$ourCpu" "$peerCpu" "$(ratio "$ourCpu" "$peerCpu")" "$ourRss" "$peerRss" \
        "$(ratio "$ourRss" "$peerRss")"
}

collection "$work/settings-video" "$work/video" 0
collection "$work/settings-video4k" "$work/video4k" 0 1
collection "$work/settings-pictures" "$work/pictures" 1
collection "$work/settings-small" "$work/small" 1
collection "$work/settings-stall" "$work/stall" 0

echo "video: 1080p MPEG-4 at its own size, 12 s (peer: mpv --vo=x11)"
mpvVideo=$(measure 12 mpv --no-config --really-quiet --ao=null --vo=x11 --loop=inf "$work/video/clip.avi")
ours=$(measure 12 show "$work/settings-video")
software=$(measure 12 show "$work/settings-video" VIMBREL_VIDEO_OUTPUT=software)
row "  the show" "$ours" "$mpvVideo"
row "  the show, VIMBREL_VIDEO_OUTPUT=software" "$software" "$mpvVideo"

echo "video 4K: 3840x2160 H.264 MP4, More Formats on, 10 s (peer: mpv --vo=x11)"
mpv4k=$(measure 10 mpv --no-config --really-quiet --ao=null --vo=x11 --loop=inf "$work/video4k/phone.mp4")
ours=$(measure 10 show "$work/settings-video4k")
row "  the show" "$ours" "$mpv4k"

echo "pictures: ten 6000x4000 JPEGs, one every 3 s, 30 s (peer: feh -F -Z -D 3)"
fehPictures=$(measure 30 feh -F -Z -D 3 "$work/pictures")
ours=$(measure 30 show "$work/settings-pictures")
row "  the show" "$ours" "$fehPictures"

echo "small: one 64x64 picture, 5 s"
read -r _ smallRss _ <<< "$(measure 5 show "$work/settings-small")"
echo "  the show: resident $smallRss MB"

echo "stall: a key while the show opens a video and reads a picture whose open() takes 8 s"
env VIMBREL_HOME="$work/settings-stall" VIMBREL_AUDIO_OUTPUT=null XDG_RUNTIME_DIR="$work" \
    LD_PRELOAD="$work/stall.so" "$program" /S > /dev/null 2>&1 &
pid=$!
sleep 3
start=$(date +%s.%N)
xdotool key q
for _ in $(seq 600); do kill -0 "$pid" 2> /dev/null || break; sleep 0.05; done
end=$(date +%s.%N)
if kill -0 "$pid" 2> /dev/null; then
    echo "  the show was still running 30 s after the key (target <= 1 s)"
    kill -KILL "$pid"
else
    awk -v s="$start" -v e="$end" 'BEGIN { printf "  the show ended %.2f s after the key (target <= 1 s)\n", e - s }'
fi
wait "$pid" 2> /dev/null || true
if [ -f "$work/stall/slow.avi" ] && [ -f "$work/stall/slow.jpg" ]; then
    echo "  nothing renamed"
else
    echo "  RENAMED: $(ls "$work/stall")"
fi
echo "work folder: $work"
