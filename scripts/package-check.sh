#!/usr/bin/env bash
# Checks TAMORI as an installed program and as a Debian package: installs
# into a temporary DESTDIR and runs the installed programs, validates the
# desktop entry, metainfo and MIME types, builds the package, lists it, runs
# lintian on it, unpacks it and runs the unpacked program. Reuses the build
# folder that scripts/test.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=build
app_id=invalid.tamori.Tamori

scripts/install-deps.sh --packaging
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build_dir" -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "== $*"; }

# A cartridge that prints one line and ends, for the headless runs.
cat > "$work/hello.tm" <<'CART'
tamori cartridge // https://tamori.invalid
version 43
__lua__
printh("installed tamori runs")
CART

# Runs tamori from BIN_FOLDER, found through PATH as a person types it, with
# -x on the test cartridge from another folder, and checks what it printed:
# the program must find its data file from where it is.
run_installed() {
  local bin_folder=$1 output
  output=$(cd "$work" && PATH="$bin_folder:$PATH" tamori -home "$work/home" -x "$work/hello.tm")
  [[ $output == "installed tamori runs" ]] || { echo "unexpected output of $bin_folder/tamori: $output"; return 1; }
}

step "install into a temporary DESTDIR"
stage=$work/stage
DESTDIR=$stage cmake --install "$build_dir" --prefix /usr > /dev/null
prefix=$stage/usr
for file in bin/tamori bin/tamori_run share/tamori/data.pod share/applications/$app_id.desktop \
  share/metainfo/$app_id.metainfo.xml share/mime/packages/tamori.xml share/man/man1/tamori.1.gz \
  share/man/man1/tamori_run.1.gz share/icons/hicolor/{32x32,64x64,128x128,256x256}/apps/tamori.png; do
  [[ -s $prefix/$file ]] || { echo "not installed: $file"; exit 1; }
done
[[ ! -e $prefix/bin/data.pod ]]

step "run the installed programs"
run_installed "$prefix/bin"
"$prefix/bin/tamori" --version
(cd "$work" && PATH="$prefix/bin:$PATH" tamori_run --info "$source_dir/assets/carts/machine.tm" 60)

step "validate the installed desktop files"
desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
xmllint --noout "$prefix/share/mime/packages/tamori.xml"
for page in tamori tamori_run; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 > /dev/null)
  [[ -z $warnings ]] || { echo "$page.1: $warnings"; exit 1; }
done

step "build the Debian package"
rm -f "$build_dir"/tamori_*.deb
(cd "$build_dir" && cpack -G DEB > /dev/null)
package=$(ls "$build_dir"/tamori_*.deb)
dpkg-deb --info "$package"
dpkg-deb --contents "$package"

step "lintian"
lintian --allow-root --fail-on error "$package"

step "unpack the package and run it"
dpkg-deb -x "$package" "$work/unpacked"
run_installed "$work/unpacked/usr/bin"
echo "package check passed"
