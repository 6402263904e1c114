#!/usr/bin/env bash
# Makes the seed movies of the DirectShow movie open fuzz target from ffmpeg's test patterns.
set -euo pipefail
out="$(dirname "$0")/../fuzz/corpus/movie_dshow_open"
mkdir -p "$out"
bars="-f lavfi -i smptebars=size=32x24:rate=25:duration=0.2"
ffmpeg -v error -y $bars -c:v mpeg4 "$out/bars.avi"
ffmpeg -v error -y $bars -c:v libx264 -pix_fmt yuv420p "$out/bars.mp4"
ffmpeg -v error -y $bars -c:v libvpx "$out/bars.webm"
ffmpeg -v error -y $bars -c:v flv "$out/bars.flv"
ffmpeg -v error -y $bars -c:v mpeg1video "$out/bars.mpg"
ffmpeg -v error -y $bars -c:v wmv2 "$out/bars.asf"
ffmpeg -v error -y -f lavfi -i sine=duration=0.2 -c:a aac "$out/sound.m4a"
