#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: the programs, the shipped
# working files, the desktop entry, AppStream metainfo, icons and manual pages, and that the
# installed window program seeds a new working folder from its own shipped files.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR GUI(ON|OFF)
set -u
build=$1
source=$2
gui=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

# The command line runs from the tree.
"$prefix/bin/zentrope-cli" --help > "$work/help.txt" 2>&1 || fail "zentrope-cli --help exited $?"
grep -q "convert" "$work/help.txt" || fail "zentrope-cli --help lists no subcommands"

# The modules over FFmpeg, Tesseract and OpenCC lie beside the programs, which do not need those
# libraries to start; an import from the tree finds its module (FFmpeg itself refuses the noise).
for module in zentrope-ffmpeg zentrope-tesseract zentrope-opencc; do
  file=$(find "$prefix" -name "$module.so")
  [ -n "$file" ] || { fail "$module.so is not installed"; continue; }
  ldd "$file" | grep -q "not found" && fail "$module.so lacks libraries: $(ldd "$file" | grep "not found")"
done
for program in zentrope-cli zentrope; do
  [ -x "$prefix/bin/$program" ] || continue  # the window only when built
  needed=$(readelf -d "$prefix/bin/$program" | grep NEEDED)
  for library in libavformat libavcodec libavutil libtesseract libopencc; do
    [[ "$needed" == *"$library"* ]] && fail "$program needs $library at start"
  done
done
head -c 3000 /dev/zero | tr '\0' 'Z' > "$work/noise.sup"
"$prefix/bin/zentrope-cli" import "$work/noise.sup" -o "$work/imported" > /dev/null 2> "$work/import.txt"
grep -q "not a disc subtitle file" "$work/import.txt" ||
  fail "the installed import did not reach FFmpeg: $(cat "$work/import.txt")"

# The shipped working files, the same bytes as the source's; the table behind language.sys stays
# behind.
data=$prefix/share/zentrope
for file in setup.sys replace.sys language.sys ssahead.txt word.ind word.wrd word.sts \
            newword.wrd newword.sts help.html help.zh_CN.html help.zh_TW.html demo/demo.srt; do
  cmp -s "$source/data/$file" "$data/$file" || fail "share/zentrope/$file differs or is missing"
done
[ -d "$data/wordbmp" ] || fail "share/zentrope/wordbmp is missing"
[ -e "$data/language.tsv" ] && fail "share/zentrope holds language.tsv"

# Manual pages render without complaints.
render() {  # render PAGE NAME
  [ -f "$1" ] || { fail "$1 is missing"; return; }
  local warnings
  warnings=$(groff -man -ww -z "$1" 2>&1)
  [ -z "$warnings" ] || fail "$1: $warnings"
  MANWIDTH=80 man -l "$1" 2> /dev/null | grep -q "^NAME" || fail "$1 does not render"
  MANWIDTH=80 man -l "$1" 2> /dev/null | grep -q "$2" || fail "$1 does not name $2"
}
render "$prefix/share/man/man1/zentrope-cli.1" "fix-overlaps"

if [ "$gui" = "ON" ]; then
  app_id=org.zentrope.Zentrope
  [ -x "$prefix/bin/zentrope" ] || fail "bin/zentrope is missing"
  render "$prefix/share/man/man1/zentrope.1" "workdir"
  desktop=$prefix/share/applications/$app_id.desktop
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  grep -q "^MimeType=.*application/x-subrip;" "$desktop" || fail "the desktop entry opens no .srt"
  metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
  appstreamcli validate --no-net --pedantic "$metainfo" > "$work/metainfo.txt" 2>&1 ||
    { cat "$work/metainfo.txt" >&2; fail "appstreamcli validate $metainfo"; }
  appstream-util validate-relax --nonet "$metainfo" > /dev/null || fail "appstream-util $metainfo"
  png=$prefix/share/icons/hicolor/256x256/apps/$app_id.png
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "$png is not a PNG"
  grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "no SVG icon"

  # First start of the installed window: the per-user folder under XDG_DATA_HOME is filled from
  # share/zentrope (which lacks language.tsv), not from the source tree.
  mkdir -p "$work/home" "$work/run"
  cd "$work/run" || exit 1
  HOME=$work/home XDG_DATA_HOME=$work/xdg QT_QPA_PLATFORM=offscreen \
    timeout 20 "$prefix/bin/zentrope" > "$work/gui.log" 2>&1 &
  window=$!
  seeded=$work/xdg/zentrope
  for _ in $(seq 100); do
    [ -f "$seeded/setup.sys" ] && [ -f "$seeded/demo/demo.srt" ] && break
    sleep 0.1
  done
  [ -f "$seeded/setup.sys" ] || fail "the installed program made no working folder"
  [ -e "$seeded/language.tsv" ] && fail "the working folder was filled from the source tree"
  kill "$window" 2> /dev/null  # timeout passes the signal on to the program
  wait "$window" 2> /dev/null
fi

exit $((failures > 0))
