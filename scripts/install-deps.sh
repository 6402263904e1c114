#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Only missing packages
# are installed, and apt-get update runs only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config bison python3 lld
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  libsdl2-dev libfreetype-dev libfontconfig-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libtiff-dev
  libogg-dev libvorbis-dev libopus-dev libopusfile-dev libtheora-dev libmpg123-dev
  fonts-dejavu-core fonts-ipafont-gothic xvfb libxtst6
  libfluidsynth-dev fluid-soundfont-gm timgm6mb-soundfont
  lua5.4 sox vorbis-tools opus-tools lame
  imagemagick libmagickcore-6.q16-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
