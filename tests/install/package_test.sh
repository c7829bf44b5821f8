#!/usr/bin/env bash
# Builds the Debian package with cpack, unpacks it with dpkg -x and runs zentrope-cli from the
# unpacked tree (an import there finds its module); checks the package's dependencies name the
# Debian libraries in use.
# Usage: package_test.sh BUILD_DIR GUI(ON|OFF)
set -u
build=$1
gui=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") \
  > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(find "$work/out" -maxdepth 1 -name '*.deb' | head -1)
[ -n "$deb" ] || { echo "FAIL: cpack made no .deb" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
# The modules' libraries count too, though the programs load them only when a feature needs them.
for library in libc6 libstdc++6 libqt6gui6 libavformat libavcodec libtesseract libopencc; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
if [ "$gui" = "ON" ]; then
  for library in libqt6widgets6 qt6-qpa-plugins; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
  done
fi

dpkg -x "$deb" "$work/root"
"$work/root/usr/bin/zentrope-cli" --help > "$work/help.txt" 2>&1 ||
  fail "zentrope-cli --help from the package exited $?"
grep -q "convert" "$work/help.txt" || fail "zentrope-cli --help lists no subcommands"
for module in zentrope-ffmpeg zentrope-tesseract zentrope-opencc; do
  [ -n "$(find "$work/root/usr/lib" -name "$module.so")" ] || fail "the package lacks $module.so"
done
head -c 3000 /dev/zero | tr '\0' 'Z' > "$work/noise.sup"
"$work/root/usr/bin/zentrope-cli" import "$work/noise.sup" -o "$work/imported" > /dev/null \
  2> "$work/import.txt"
grep -q "not a disc subtitle file" "$work/import.txt" ||
  fail "the packaged import did not reach FFmpeg: $(cat "$work/import.txt")"
[ -f "$work/root/usr/share/zentrope/language.sys" ] || fail "the package lacks its data"
[ -f "$work/root/usr/share/man/man1/zentrope-cli.1" ] || fail "the package lacks the man page"

exit $((failures > 0))
