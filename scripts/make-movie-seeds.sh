#!/usr/bin/env bash
# Makes the seed movies of the DirectShow movie open fuzz target from ffmpeg's test patterns.
set -euo pipefail
out="$(dirname "$0")/../fuzz/corpus/movie_dshow_open"
mkdir -p "$out"
bars="-f lavfi -i smptebars=size=32x24:rate=25:duration=0.2"
# Two seeds carry sound as well: 8-kHz mono PCM in the AVI, AAC in the MP4.
sine="-f lavfi -i sine=duration=0.2:sample_rate=8000"
ffmpeg -v error -y $bars $sine -c:v mpeg4 -c:a pcm_s16le -shortest "$out/bars.avi"
ffmpeg -v error -y $bars $sine -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$out/bars.mp4"
ffmpeg -v error -y $bars -c:v libvpx "$out/bars.webm"
ffmpeg -v error -y $bars -c:v flv "$out/bars.flv"
ffmpeg -v error -y $bars -c:v mpeg1video "$out/bars.mpg"
ffmpeg -v error -y $bars -c:v wmv2 "$out/bars.asf"
ffmpeg -v error -y -f lavfi -i sine=duration=0.2 -c:a aac "$out/sound.m4a"
