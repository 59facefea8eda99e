#!/usr/bin/env bash
# Builds the plug-in in Release, installs Vesperline.vst3 into ~/.vst3, shows
# what a host sees of the installed bundle and renders a demo through it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release
cmake --build --preset release --target Vesperline_VST3 vesperline-host

bundle="build/release/Vesperline_artefacts/Release/VST3/Vesperline.vst3"
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Vesperline.vst3"
cp -R "$bundle" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Vesperline.vst3"

host=build/release/tools/vesperline-host
"$host" info "$HOME/.vst3/Vesperline.vst3"
mkdir -p out
"$host" render out/vesperline-demo.wav --plugin "$HOME/.vst3/Vesperline.vst3"
