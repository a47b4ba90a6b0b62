#!/bin/sh
# Regenerates the README's pictures of the console's own cartridges with the
# headless runner: each cartridge runs for a number of frames under a short
# button script and its screen is written to docs/pictures/NAME.png; the
# game's play is also saved as the console's own GIF recording.
# Run from the repository root after building: tools/make_readme_pictures.sh [BUILD_DIR]
set -e
build=${1:-build}
runner="$build/tools/tamori_run"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p docs/pictures

# name, frames, button script (lines "FRAME BUTTONS", separated by ";")
while IFS='|' read -r name frames script; do
  [ -z "$name" ] && continue
  printf '%s\n' "$script" | tr ';' '\n' > "$scratch/buttons.txt"
  "$runner" "assets/carts/$name.tm" -frames "$frames" -buttons "$scratch/buttons.txt" \
    -png "docs/pictures/$name.png" > /dev/null
  echo "docs/pictures/$name.png"
done <<'TABLE'
launcher|40|0 -
stargarden|420|0 -;70 o;72 -;100 r;130 l;190 r;250 l;300 r;320 l;380 r
graphics|150|0 -;30 r;32 -;35 r;37 -;40 r;42 -
sound|150|0 -;20 u;22 -;24 u;26 -;30 o;32 -
input|100|0 -;20 r;50 ro;70 l;80 -;90 u 0 x 0 d 0 0 l
text|60|0 -
machine|100|0 -;10 o;12 -;20 u;22 -;24 u;26 -
TABLE

# The game, played for a few seconds, as the console records GIFs (Ctrl+9).
printf '0 -\n70 o\n72 -\n100 r\n130 l\n190 r\n250 l\n300 r\n320 l\n380 r\n' > "$scratch/buttons.txt"
"$runner" assets/carts/stargarden.tm -frames 420 -buttons "$scratch/buttons.txt" \
  -gif docs/pictures/stargarden_play.gif > /dev/null
echo docs/pictures/stargarden_play.gif
