#!/bin/sh
# Draws each window of the settings application, as it is built today, into
# docs/pictures/NAME.png for the README. The windows run on the offscreen
# platform against a fresh simulated machine ("nightfold-sim pictures").
#
#   tools/render_windows.sh [BUILD_FOLDER]     (default: build)
set -eu
source_folder=$(cd "$(dirname "$0")/.." && pwd)
build_folder=${1:-"$source_folder/build"}

if [ ! -f "$build_folder/CMakeCache.txt" ]; then
    cmake -S "$source_folder" -B "$build_folder" -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build_folder" --target nightfold-sim -j2
"$build_folder/bin/nightfold-sim" pictures "$source_folder/docs/pictures"
