#!/bin/sh
# Builds the Linux program and starts it.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
exec ./build/linux/src/tavro
