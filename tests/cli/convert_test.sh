#!/usr/bin/env bash
# End-to-end checks of `zentrope-cli convert`: SRT -> SSA -> SRT, UTF-8 output, and the failures
# that must exit 1 with one line on stderr and no output file.
# Usage: convert_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

expect_same() {  # expect_same FILE EXPECTED_FILE what
  cmp -s "$1" "$2" || { fail "$3"; diff <(od -c "$2") <(od -c "$1") | head -20 >&2; }
}

# A GBK text subtitle with a two-line entry and a skipped empty entry.
printf '1\r\n00:00:01,000 --> 00:00:02,500\r\n\xd7\xd6\xc4\xbb\r\nsecond line\r\n\r\n' > in.srt
printf '2\r\n00:00:03,000 --> 00:00:04,000\r\n\r\n' >> in.srt
printf '3\r\n10:00:05,120 --> 10:00:06,000\r\nthird\r\n' >> in.srt

# Hours of two digits stay whole in the SSA time (h:mm:ss.cc); --as-before writes the times as
# older releases did, which cut 10:00:05 down to 0:00:05.
for rules in full as-before; do
  option=(); hours=10
  [ $rules = as-before ] && { option=(--as-before); hours=0; }
  "$cli" convert in.srt out.ssa --workdir "$data" "${option[@]}" > /dev/null 2> err.txt \
    || fail "srt -> ssa ($rules) exited $?"
  { cat "$data/ssahead.txt"
    printf 'Dialogue: Marked=0,0:00:01.00,0:00:02.50,Default,,0000,0000,0000,,\xd7\xd6\xc4\xbb\\Nsecond line\r\n'
    printf 'Dialogue: Marked=0,%s:00:05.12,%s:00:06.00,Default,,0000,0000,0000,,third\r\n' $hours $hours
  } > expected.ssa
  expect_same out.ssa expected.ssa "ssa output ($rules)"
  [ -s err.txt ] && fail "unexpected stderr: $(cat err.txt)"

  # Back to SRT: the entries are renumbered 1, 2 and times come back through the SSA form.
  "$cli" convert out.ssa back.srt "${option[@]}" > /dev/null 2>&1 || fail "ssa -> srt exited $?"
  { printf '1\r\n00:00:01,000 --> 00:00:02,500\r\n\xd7\xd6\xc4\xbb\r\nsecond line\r\n\r\n'
    printf '2\r\n%02d:00:05,120 --> %02d:00:06,000\r\nthird\r\n\r\n' $hours $hours
  } > expected.srt
  expect_same back.srt expected.srt "srt output ($rules)"
done

# ASS and WebVTT: an ASS file comes back byte for byte, and goes to WebVTT and back with the
# same entries; .ass and .vtt are refused with --as-before.
printf '[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n' > in.ass
printf 'Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n' >> in.ass
printf 'Dialogue: 1,0:00:01.00,0:00:02.50,Top,Anna,0,0,0,,{\\i1}\xd7\xd6{\\i0}, b\r\n' >> in.ass
printf 'Comment: 0,0:00:02.00,0:00:03.00,Top,,0,0,0,,note\r\n' >> in.ass
printf 'Dialogue: 0,1:00:00.00,1:00:01.00,Default,,0,0,0,,last\r\n' >> in.ass
"$cli" convert in.ass out.ass > /dev/null 2> err.txt || fail "ass -> ass exited $?"
expect_same out.ass in.ass "ass round trip"
"$cli" convert in.ass out.vtt > /dev/null 2>&1 || fail "ass -> vtt exited $?"
grep -q $'^01:00:00.000 --> 01:00:01.000\r$' out.vtt || fail "vtt times: $(cat out.vtt)"
"$cli" convert out.vtt vtt.srt > /dev/null 2>&1 || fail "vtt -> srt exited $?"
grep -q $'^2\r$' vtt.srt || fail "vtt -> srt lost an entry: $(cat vtt.srt)"

# UTF-8 output of the same file, and a UTF-8 input converted back to GBK.
"$cli" convert in.srt utf8.srt --encoding utf-8 > /dev/null 2>&1 || fail "utf-8 output exited $?"
grep -q $'\xe5\xad\x97\xe5\xb9\x95' utf8.srt || fail "utf-8 output lacks the converted text"
"$cli" convert utf8.srt gbk.SRT > /dev/null 2>&1 || fail "utf-8 input exited $?"
grep -q $'\xd7\xd6\xc4\xbb' gbk.SRT || fail "utf-8 input not converted to GBK"

# UTF-8 with its mark reads back to the same GBK file; the mark is the first thing written.
"$cli" convert in.srt bom.srt --encoding utf-8-bom > /dev/null 2>&1 || fail "utf-8-bom exited $?"
[ "$(head -c 3 bom.srt | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "utf-8-bom output lacks the mark"
"$cli" convert bom.srt frombom.srt > /dev/null 2>&1 || fail "utf-8-bom input exited $?"
"$cli" convert in.srt plain.srt > /dev/null 2>&1 && "$cli" convert plain.srt plain2.srt > /dev/null 2>&1 \
  || fail "gbk twice exited $?"
expect_same frombom.srt plain2.srt "utf-8-bom round trip"

# Rows the file cannot hold as read are named on stderr, and no time line is left without times.
printf '1\r\n00:00:02,000 --> 00:00:01,000\r\nreversed\r\n\r\n' > odd.srt
printf '2\r\nabc --> x,y\r\nno times\r\n\r\n3\r\n00:00:05,000 --> 00:00:06,000\r\nbad \xff\r\n' >> odd.srt
"$cli" convert odd.srt odd-out.srt --encoding utf-8 --input-encoding gbk > /dev/null 2> err.txt \
  || fail "odd srt exited $?"
grep -q 'rows 2: time cannot be read' err.txt || fail "unreadable time not named: $(cat err.txt)"
grep -q 'rows 1: end before start' err.txt || fail "reversed times not named: $(cat err.txt)"
grep -q 'rows 3: text the encoding cannot hold' err.txt || fail "unencodable text not named: $(cat err.txt)"
grep -q $'^00:00:00,000 --> 00:00:00,000\r$' odd-out.srt || fail "row 2 written without times"

# A picture subtitle has no texts yet: nothing to write, and that is a success.
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n0001.bmp\r\n\r\n2\r\n00:00:03,000 --> 00:00:04,000\r\n0002.bmp\r\n' > pictures.srt
"$cli" convert pictures.srt pictures.ssa --workdir "$data" > out.txt 2>&1 || fail "picture srt exited $?"
cmp -s pictures.ssa "$data/ssahead.txt" || fail "picture srt gave more than the header"
grep -q '2 entries read; pictures.ssa: 0 entries written' out.txt || fail "picture summary: $(cat out.txt)"

# A symbolic link as the output is written through: the link stays, its target gets the text.
mkdir real
printf 'old\r\n' > real/target.srt
ln -s real/target.srt link.srt
"$cli" convert in.srt link.srt > /dev/null 2>&1 || fail "convert onto a link exited $?"
[ -L link.srt ] || fail "the link was replaced by a regular file"
expect_same real/target.srt plain.srt "the link's target"
ls -A real | grep -q tmp && fail "a temporary file stayed beside the target: $(ls -A real)"

# Leftovers of a killed convert (a process that is gone) go with the next convert to the same
# file; those of a running process, and of other files, stay.
( exit 0 ) & gone=$!
wait "$gone"
touch ".plain.srt.tmp${gone}_0" .plain.srt.tmp482113 ".plain.srt.tmp$$_1" .other.srt.tmp482113
"$cli" convert in.srt plain.srt > /dev/null 2>&1 || fail "convert over leftovers exited $?"
[ -e ".plain.srt.tmp${gone}_0" ] && fail "the leftover of a killed convert stayed"
[ -e .plain.srt.tmp482113 ] && fail "a leftover of the older naming stayed"
[ -e ".plain.srt.tmp$$_1" ] || fail "the temporary file of a running process was removed"
[ -e .other.srt.tmp482113 ] || fail "another file's temporary was removed"
# Encodings: a Big5 file opens with its text intact; GBK bytes that are valid UTF-8 as well are
# read as the common Chinese text they make, and stderr says so; --input-encoding forces one.
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n\xb3\x6f\xac\x4f\xc1\x63\xc5\xe9\xa4\xa4\xa4\xe5\r\n' > big5.srt
"$cli" convert big5.srt big5-out.srt --encoding utf-8 > /dev/null 2>&1 || fail "big5 exited $?"
grep -q '這是繁體中文' big5-out.srt || fail "big5 text: $(cat big5-out.srt)"
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n\xd0\xbb\xd0\xbb\r\n' > thanks.srt
"$cli" convert thanks.srt thanks-out.srt > /dev/null 2> err.txt || fail "gbk/utf-8 exited $?"
grep -q $'^\xd0\xbb\xd0\xbb\r$' thanks-out.srt || fail "谢谢 not kept as GBK"
grep -q 'read as gbk, not utf-8' err.txt || fail "the choice is not named: $(cat err.txt)"
"$cli" convert thanks.srt forced.srt --input-encoding utf-8 --encoding utf-8 > /dev/null 2>&1 \
  || fail "forced utf-8 exited $?"
grep -q 'лл' forced.srt || fail "forced utf-8 not used: $(cat forced.srt)"
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n\x81\x98\xff\r\n' > unreadable.srt

# Failures: exit 1, exactly one line on stderr, no output file.
expect_failure() {  # expect_failure OUT args...
  local out=$1
  shift
  "$cli" "$@" > /dev/null 2> err.txt
  local status=$?
  [ "$status" -eq 1 ] || fail "$* exited $status, not 1"
  [ "$(wc -l < err.txt)" -eq 1 ] || fail "$* printed $(wc -l < err.txt) lines on stderr"
  [ -e "$out" ] && fail "$* created $out"
}
expect_failure none1.srt convert missing.srt none1.srt
expect_failure none2.ssa convert in.txt none2.ssa
expect_failure none3.txt convert in.srt none3.txt
mkdir empty
expect_failure none4.ssa convert in.srt none4.ssa --workdir empty
expect_failure none5.srt convert in.srt nofolder/none5.srt
[ -e nofolder ] && fail "a folder was created"
expect_failure none6.ass convert in.srt none6.ass --as-before
expect_failure none7.srt convert unreadable.srt none7.srt
grep -q 'no encoding reads the file (tried UTF-8, ' err.txt || fail "encodings not named: $(cat err.txt)"
expect_failure none8.srt convert in.srt none8.srt --input-encoding latin-9

finish
