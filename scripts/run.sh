#!/usr/bin/env bash
# Installs the dependencies, builds TAMORI and starts it with the given options.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tamori data_pod
exec build/tamori "$@"
