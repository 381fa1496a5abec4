#!/usr/bin/env bash
# Installs what Vimbrel needs to build, run and test on Debian 12.
# Safe to run again: it asks apt only for packages that are missing.
set -euo pipefail

packages=(
    # building
    cmake ninja-build g++ pkg-config qt6-base-dev libqt6opengl6-dev libmpv-dev libsodium-dev
    libgtest-dev libfluidsynth-dev libxrandr-dev libheif-dev
    # today's picture formats: WebP and TIFF through Qt's plug-ins; HEIC, HEIF
    # and AVIF through libheif and its codecs
    qt6-image-formats-plugins libheif1 libde265-0 libdav1d6
    # the show's fonts, and the General MIDI sound font MIDI files play with
    fonts-dejavu-core fluid-soundfont-gm
    # the show on Wayland desktops
    qt6-wayland
)
# testing: a virtual X server, typing and screenshots, and test media; real
# desktops (xfwm4 with its panel, fluxbox, sway on Wayland with its tools)
# and screen lockers to run the show under
testing=(xvfb xauth xdotool x11-utils x11-xserver-utils xss-lock imagemagick ffmpeg libjpeg-turbo-progs
         xfwm4 xfce4-panel dbus-daemon fluxbox sway swaybg grim wtype xsecurelock passwd procps
         libimage-exiftool-perl)
case "${1:-}" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --tests) packages+=("${testing[@]}") ;;
    --headless) packages+=(xvfb xauth xdotool x11-utils imagemagick) ;;
    # the benchmarks, and the programs they are measured against
    --bench) packages+=("${testing[@]}" mpv feh libheif-examples) ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
