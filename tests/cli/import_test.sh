#!/usr/bin/env bash
# End-to-end checks of `zentrope-cli import`: PGS, VobSub and a Matroska or MPEG-TS track give
# exactly the expected bitmaps and SRT for both inks, tracks are listed, and every bad input exits
# 2 with one line on stderr and no output folder.
# Usage: import_test.sh ZENTROPE_CLI DATA_FOLDER MAKE_DISC_SAMPLES
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
make_samples=$3
"$make_samples" samples || { echo "FAIL: make_disc_samples" >&2; exit 1; }

expect_folder() {  # expect_folder OUTDIR EXPECTED_FOLDER what
  diff -r "$1" "$2" > /dev/null || { fail "$3 differs: $(diff -rq "$1" "$2" | head -3)"; }
}

"$cli" import samples/sample.sup -o sup-auto > out.txt 2> err.txt || fail "sup auto exited $?"
expect_folder sup-auto samples/expected/sup-auto "sup, auto ink"
[ -s err.txt ] && fail "unexpected stderr: $(cat err.txt)"
grep -q '3 pictures from 00:00:01,000 to 00:01:05,432 (track 1, PGS)' out.txt ||
  fail "sup summary: $(cat out.txt)"
grep -q '^ink: fill on 3$' out.txt || fail "ink summary: $(cat out.txt)"
grep -q '^forced entries: 2$' out.txt || fail "forced: $(cat out.txt)"

# --bits 24: the 24-bit pictures imports wrote before, the same SRT.
"$cli" import samples/sample.sup -o sup-24 --bits 24 > /dev/null 2>&1 || fail "sup --bits 24 exited $?"
expect_folder sup-24 samples/expected/sup-auto-24 "sup, 24-bit pictures"
"$cli" import samples/sample.idx -o vobsub-24 --bits 24 > /dev/null 2>&1 ||
  fail "vobsub --bits 24 exited $?"
expect_folder vobsub-24 samples/expected/vobsub-auto-24 "vobsub, 24-bit pictures"
"$cli" import samples/sample.sup -o bad-bits --bits 8 > /dev/null 2>&1 && fail "--bits 8 accepted"

"$cli" import samples/sample.sup -o sup-t128 --ink-threshold 128 > /dev/null 2>&1 ||
  fail "sup threshold exited $?"
expect_folder sup-t128 samples/expected/sup-t128 "sup, threshold 128"

"$cli" import samples/sample.idx -o vobsub-auto > /dev/null 2>&1 || fail "vobsub exited $?"
expect_folder vobsub-auto samples/expected/vobsub-auto "vobsub, auto ink"
"$cli" import samples/sample.idx -o vobsub-t128 --ink-threshold 128 > /dev/null 2>&1 ||
  fail "vobsub threshold exited $?"
expect_folder vobsub-t128 samples/expected/vobsub-t128 "vobsub, threshold 128"

"$cli" import samples/sample.mkv --list-tracks > tracks.txt 2>&1 || fail "list-tracks exited $?"
printf '1: PGS, fre\n2: PGS, eng\n' | cmp -s - tracks.txt || fail "tracks: $(cat tracks.txt)"
"$cli" import samples/sample.mkv -o mkv-t128 --track 2 --ink-threshold 128 > /dev/null 2>&1 ||
  fail "mkv exited $?"
mv mkv-t128/sample.srt mkv-t128/sample.srt.got
sed -n p samples/expected/sup-t128/sample.srt | cmp -s - mkv-t128/sample.srt.got ||
  fail "mkv srt differs"
mv mkv-t128/sample.srt.got mkv-t128/sample.srt
expect_folder mkv-t128 samples/expected/sup-t128 "mkv track 2, threshold 128"

# MPEG transport streams, 188-byte (.ts) and Blu-ray 192-byte (.m2ts) packets: the same tracks.
for ts in ts m2ts; do
  "$cli" import samples/sample.$ts --list-tracks > tracks.txt 2>&1 || fail "$ts list-tracks exited $?"
  printf '1: PGS, fre\n2: PGS, eng\n' | cmp -s - tracks.txt || fail "$ts tracks: $(cat tracks.txt)"
  "$cli" import samples/sample.$ts -o $ts-t128 --track 2 --ink-threshold 128 > /dev/null 2>&1 ||
    fail "$ts exited $?"
  mv $ts-t128/sample.srt $ts-t128/sample.srt.got
  cmp -s samples/expected/sup-t128/sample.srt $ts-t128/sample.srt.got || fail "$ts srt differs"
  mv $ts-t128/sample.srt.got $ts-t128/sample.srt
  expect_folder $ts-t128 samples/expected/sup-t128 "$ts track 2, threshold 128"
done

# --first/--last: pictures 2 and 3 renumbered from 0001.
"$cli" import samples/sample.sup -o range --first 2 --last 3 > /dev/null 2>&1 || fail "range exited $?"
cmp -s range/0001.bmp samples/expected/sup-auto/0002.bmp || fail "range picture 1"
cmp -s range/0002.bmp samples/expected/sup-auto/0003.bmp || fail "range picture 2"
[ -e range/0003.bmp ] && fail "range wrote a third picture"

# Picture size: auto halves the pictures of UHD video (wider than 1920 pixels), --scale 1 keeps
# them as the import always wrote them and warns once of the picture too wide for recognition,
# --scale 2 halves a 1080p stream too.
"$cli" import samples/uhd.sup -o uhd-auto > out.txt 2> err.txt || fail "uhd auto exited $?"
expect_folder uhd-auto samples/expected/uhd-half "uhd, auto scale"
[ -s err.txt ] && fail "uhd auto: unexpected stderr: $(cat err.txt)"
grep -q '^half size: 3 of 3 pictures$' out.txt || fail "uhd auto summary: $(cat out.txt)"
"$cli" import samples/uhd.sup -o uhd-full --scale 1 > out.txt 2> err.txt || fail "uhd 1 exited $?"
expect_folder uhd-full samples/expected/uhd-full "uhd, --scale 1"
[ "$(wc -l < err.txt)" -eq 1 ] || fail "uhd --scale 1 printed $(wc -l < err.txt) lines on stderr"
grep -q '^warning: pictures wider than 1999 pixels.*--scale 2.*: 2$' err.txt ||
  fail "uhd --scale 1 warning: $(cat err.txt)"
grep -q 'half size' out.txt && fail "uhd --scale 1 summary: $(cat out.txt)"
"$cli" import samples/sample.sup -o sup-half --scale 2 > out.txt 2> err.txt ||
  fail "sup --scale 2 exited $?"
expect_folder sup-half samples/expected/sup-half "sup, --scale 2"
"$cli" import samples/sample.sup -o sup-one --scale 1 > /dev/null 2>&1 || fail "sup 1 exited $?"
expect_folder sup-one samples/expected/sup-auto "sup, --scale 1"
"$cli" import samples/sample.sup -o bad-scale --scale 3 > /dev/null 2>&1 && fail "--scale 3 taken"

# Failures: exit 2, exactly one line on stderr naming the input, no output folder.
expect_failure() {  # expect_failure OUTDIR INPUT args...
  local out=$1 input=$2
  shift 2
  "$cli" import "$input" -o "$out" "$@" > /dev/null 2> err.txt
  local status=$?
  [ "$status" -eq 2 ] || fail "import $input exited $status, not 2"
  [ "$(wc -l < err.txt)" -eq 1 ] || fail "import $input printed $(wc -l < err.txt) lines on stderr"
  grep -q "$(basename "$input")" err.txt || fail "error does not name $input: $(cat err.txt)"
  [ -e "$out" ] && fail "import $input created $out"
}
head -c 5000 samples/sample.sup > cut.sup
head -c 3000 /dev/zero | tr '\0' 'Z' > noise.sup
cp samples/sample.idx lonely.idx
expect_failure none1 missing.sup
expect_failure none2 noise.sup
expect_failure none3 cut.sup
expect_failure none4 lonely.idx
expect_failure none5 samples/sample.mkv --track 3
# An occupied folder is refused unless --overwrite, and then only same-named files change.
mkdir busy && echo keep > busy/notes.txt
"$cli" import samples/sample.sup -o busy > /dev/null 2> err.txt
[ $? -eq 2 ] || fail "busy folder not refused"
grep -q -- '--overwrite' err.txt || fail "busy folder error: $(cat err.txt)"
[ -e busy/sample.srt ] && fail "busy folder written"
"$cli" import samples/sample.sup -o busy --overwrite > /dev/null 2>&1 || fail "overwrite exited $?"
cmp -s busy/0003.bmp samples/expected/sup-auto/0003.bmp || fail "overwrite picture"
[ "$(cat busy/notes.txt)" = keep ] || fail "overwrite touched another file"
ls -a | grep -q '\.import-' && fail "a temporary folder was left"

# Leftovers of killed imports into the same place go at the next import; a living process's stay.
mkdir .busy.import-2147483000 .busy.old-2147483001 .busy.import-1
"$cli" import samples/sample.sup -o busy --overwrite > /dev/null 2>&1 || fail "overwrite 2 exited $?"
[ -e .busy.import-2147483000 ] || [ -e .busy.old-2147483001 ] && fail "leftovers were kept"
[ -d .busy.import-1 ] || fail "the folder of a living process was removed"
rmdir .busy.import-1

# Tracks with their names and flags.
"$cli" import samples/named.mkv --list-tracks > tracks.txt 2>&1 || fail "named tracks exited $?"
printf '1: PGS, chi, "简体中文", default\n2: PGS, chi, "繁體中文", forced\n' | cmp -s - tracks.txt ||
  fail "named tracks: $(cat tracks.txt)"

# A stream that ends early: refused naming the last picture read, or with --allow-partial
# imported up to it with one warning.
size=$(stat -c %s samples/sample.mkv)
head -c $((size * 3 / 4)) samples/sample.mkv > cut.mkv
expect_failure none7 cut.mkv --track 2
grep -q 'the last picture read is picture 2 (display set 3, 00:01:01,000).*--allow-partial' err.txt ||
  fail "cut mkv error: $(cat err.txt)"
"$cli" import cut.mkv --track 2 -o partial --allow-partial > out.txt 2> err.txt ||
  fail "--allow-partial exited $?"
grep -q '^cut.mkv: 2 pictures' out.txt || fail "partial summary: $(cat out.txt)"
[ "$(wc -l < err.txt)" -eq 1 ] || fail "partial printed $(wc -l < err.txt) lines on stderr"
grep -q '^warning: cut.mkv: display set 4: the file is cut.*imported up to picture 2' err.txt ||
  fail "partial warning: $(cat err.txt)"

# A named pipe is said to be one.
mkfifo pipe.sup
expect_failure none8 pipe.sup
grep -q 'pipe.sup: is a named pipe (FIFO)' err.txt || fail "fifo error: $(cat err.txt)"

# Without its FFmpeg module the import fails as any unreadable input does, naming the module and
# the loader's reason; the tracks cannot be listed either.
mkdir no-modules
ZENTROPE_MODULE_DIR=$PWD/no-modules expect_failure none6 samples/sample.sup
grep -q 'zentrope-ffmpeg.so.*No such file' err.txt || fail "module error: $(cat err.txt)"
ZENTROPE_MODULE_DIR=$PWD/no-modules "$cli" import samples/sample.mkv --list-tracks > /dev/null \
  2> err.txt && fail "list-tracks without the module succeeded"
grep -q 'zentrope-ffmpeg.so' err.txt || fail "list-tracks module error: $(cat err.txt)"

finish
