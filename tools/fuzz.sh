#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, build-fuzz/) and runs each one for a
# while on top of its corpus, kept outside the repository.
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   default 60 s, every target
#   tools/fuzz.sh --ci                               20 s each from a fixed random seed, as CI runs
#                                                    them (so that a failure there can be run again)
# Corpora and crash files go to $TAMORI_FUZZ_DIR (default /tmp/tamori-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=60
seed=()
if [[ ${1:-} == --ci ]]; then seconds=20; seed=(-seed=1); shift; elif [[ ${1:-} =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
work=${TAMORI_FUZZ_DIR:-/tmp/tamori-fuzz}
build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMORI_FUZZ=ON \
  -DTAMORI_TESTS=OFF -DTAMORI_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_targets

# Seeds: the project's own test data and the shared real cartridges, with
# their PNG, ROM and compressed-code forms made by the seed maker.
seeds=$work/seeds
mkdir -p "$seeds"/{text,lua,binary,pod,share}
cp -f ../shared/carts/*.tm assets/carts/*.tm "$seeds/text/" 2>/dev/null || true
find tests -name '*.lua' -exec cp -f {} "$seeds/lua/" \;
find tests -name '*.png' -exec cp -f {} "$seeds/binary/" \;
"$build/fuzz/fuzz_make_seeds" "$seeds/binary" "$seeds"/text/*.tm >/dev/null 2>&1 || true
mv -f "$seeds"/binary/*.share "$seeds/share/" 2>/dev/null || true
cp -f "$build/data.pod" "$seeds/pod/" 2>/dev/null || true

seed_folder() {
  case $1 in
    text_cartridge|text_roundtrip|dropped_file) echo text ;;
    compiler|interpreter|print_text|print_sound|config_file|input_recording) echo lua ;;
    data_pod) echo pod ;;
    share_address) echo share ;;
    *) echo binary ;;
  esac
}
dictionary() {
  case $1 in
    text_cartridge|text_roundtrip) echo text_cartridge ;;
    compiler|interpreter) echo language ;;
    config_file|input_recording|print_text|share_address) echo "$1" ;;
    print_sound) echo print_text ;;
    *) echo binary ;;
  esac
}

targets=("$@")
if ((${#targets[@]} == 0)); then
  for file in "$build"/fuzz/fuzz_*; do
    name=${file##*/fuzz_}
    [[ $name == make_seeds ]] || targets+=("$name")
  done
fi
failed=0
for target in "${targets[@]}"; do
  corpus=$work/corpus/$target
  mkdir -p "$corpus" "$work/crashes"
  echo "== $target"
  start=$SECONDS
  if ! "$build/fuzz/fuzz_$target" "$corpus" "$seeds/$(seed_folder "$target")" -max_total_time="$seconds" \
      -dict="fuzz/dict/$(dictionary "$target").dict" -artifact_prefix="$work/crashes/$target-" \
      -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 "${seed[@]}" 2>"$work/$target.log"; then
    # The report goes to the output too: a CI machine's files are gone after the run.
    tail -n 60 "$work/$target.log"
    echo "** $target failed: see $work/$target.log"
    failed=1
  fi
  echo "   $((SECONDS - start)) s"
  grep -E "^#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec" "$work/$target.log" | tail -3 || true
done
exit $failed
