#!/bin/sh
# Builds the Linux program as the package has it and starts it. Installs only
# what that needs: no test tools, no Windows tool chain, no Wine.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh run
cmake --preset linux-package >/dev/null
cmake --build --preset linux-package
exec ./build/linux-package/src/tavro
