#!/usr/bin/env bash
# Installs what is needed, builds, and starts Vimbrel.
#
#   scripts/run.sh          the show over the demo media in demo/, with
#                           settings of its own (build/demo-settings), so
#                           that your own settings stay as they are
#   scripts/run.sh /C       the program with these arguments and your own
#                           settings (here: the configuration dialog)
#
# On a machine without a display the demo runs for some seconds on a
# virtual X server and saves screenshots to build/demo-screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -gt 0 ]; then
    scripts/install-deps.sh
    scripts/build.sh
    exec build/vimbrel "$@"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    scripts/install-deps.sh
else
    scripts/install-deps.sh --headless
fi
scripts/build.sh

# A demo collection: one folder, the demo media, captions on, today's formats
# (the HEIC picture) too.
export VIMBREL_HOME="$root/build/demo-settings"
mkdir -p "$VIMBREL_HOME"
printf '%s\r\n' '[Options]' 'Settings=vimbrel000.ini' '' > "$VIMBREL_HOME/vimbrel.ini"
printf '%s\r\n' '[Options]' 'Description=Demo' 'RandomFolder=0' 'CurrentFolder=1' 'MouseMoves=4' \
    'Folders=1' 'MoreFormats=1' '' '[Folder1]' 'Captions=1' 'Background=3355443' 'Center=1' 'Interval=1' \
    'ImageScale=3' 'RandomOrder=0' "Set=$root/demo/media" 'VideoScale=0' '' \
    > "$VIMBREL_HOME/vimbrel000.ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the show; move the mouse or press a key to end it."
    exec build/vimbrel /S
fi

shots="$root/build/demo-screenshots"
rm -rf "$shots"
mkdir -p "$shots"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# No sound device here: the sounds play silently, in real time.
export VIMBREL_AUDIO_OUTPUT=${VIMBREL_AUDIO_OUTPUT:-null}
build/vimbrel /S &
show=$!
for i in 1 2 3 4 5 6 7 8; do
    sleep 2
    import -window root "$shots/show-$i.png"
done
xdotool key q
wait $show || true
echo "No display here: the show ran on a virtual screen for 8 seconds."
echo "Screenshots: $shots"
ls "$shots"
