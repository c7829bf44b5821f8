#!/usr/bin/env bash
# End-to-end checks of `zentrope-cli shift`: a shift of every row or of some rows, a two-point
# synchronisation, a frame rate change, a picture subtitle keeping its rows, and the refusals
# that exit 1 with one line on stderr and no output file.
# Usage: shift_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

entry() {  # entry NUMBER START END TEXT
  printf '%s\r\n%s --> %s\r\n%s\r\n\r\n' "$1" "$2" "$3" "$4"
}
{ entry 1 00:00:01,000 00:00:02,000 one
  entry 2 00:00:10,000 00:00:12,500 two
  entry 3 00:01:00,000 00:01:04,000 three
} > in.srt

check() {  # check WHAT ARGS...: out.srt must equal expected.srt
  local what=$1
  shift
  rm -f out.srt
  "$cli" shift in.srt -o out.srt "$@" > stdout.txt 2> err.txt || fail "$what: exited $?"
  [ -s err.txt ] && fail "$what: unexpected stderr: $(cat err.txt)"
  cmp -s expected.srt out.srt || { fail "$what"; diff expected.srt out.srt | head -10 >&2; }
}

{ entry 1 00:00:00,500 00:00:01,500 one; entry 2 00:00:09,500 00:00:12,000 two
  entry 3 00:00:59,500 00:01:03,500 three; } > expected.srt
check "shift by -0.5" --by=-0.5
grep -qF 'rows 1-3: 3 row(s) changed' stdout.txt || fail "the summary does not name the rows: $(cat stdout.txt)"
{ entry 1 00:00:01,000 00:00:02,000 one; entry 2 00:00:11,250 00:00:13,750 two
  entry 3 00:01:01,250 00:01:05,250 three; } > expected.srt
check "shift rows 2- by a time" --by +00:00:01.250 --rows 2-
{ entry 1 00:00:02,000 00:00:03,492 one; entry 2 00:00:15,424 00:00:19,153 two
  entry 3 00:01:30,000 00:01:35,966 three; } > expected.srt
check "two-point sync" --sync 1=2,60=90
{ entry 1 00:00:01,000 00:00:02,000 one; entry 2 00:00:10,427 00:00:13,034 two
  entry 3 00:01:00,000 00:01:04,000 three; } > expected.srt
check "25 to 23.976 fps, row 2" --fps 25:23.976 --rows 2
{ entry 1 00:00:00,000 00:00:00,000 one; entry 2 00:00:08,000 00:00:10,500 two
  entry 3 00:00:58,000 00:01:02,000 three; } > expected.srt
check "before zero stops at zero" --by=-2
grep -qF '1 time(s) before zero' stdout.txt || fail "the clamped times are not counted: $(cat stdout.txt)"

# A picture subtitle keeps every row: its picture names are its texts.
{ entry 1 00:00:01,000 00:00:02,000 0001.bmp
  entry 2 00:00:03,000 00:00:04,000 0002.bmp
} > pictures.srt
"$cli" shift pictures.srt -o moved.srt --by 1 > /dev/null 2>&1 || fail "picture subtitle exited $?"
{ entry 1 00:00:02,000 00:00:03,000 0001.bmp; entry 2 00:00:04,000 00:00:05,000 0002.bmp; } \
  > expected.srt
cmp -s expected.srt moved.srt || fail "picture subtitle rows"

# Refusals: nothing written, exit 1, one line on stderr.
refuse() {  # refuse WHAT ARGS...
  local what=$1
  shift
  rm -f out.srt
  "$cli" shift "$@" > /dev/null 2> err.txt
  local status=$?
  [ "$status" -eq 1 ] || fail "$what: exit $status, expected 1"
  [ -e out.srt ] && fail "$what: an output was written"
  [ "$(wc -l < err.txt)" -eq 1 ] || fail "$what: stderr: $(cat err.txt)"
}
refuse "no change given" in.srt -o out.srt
refuse "two changes given" in.srt -o out.srt --by 1 --fps 25:24
refuse "unreadable amount" in.srt -o out.srt --by soon
refuse "one sync point" in.srt -o out.srt --sync 1=2
refuse "same old time twice" in.srt -o out.srt --sync 1=2,1=3
refuse "bad frame rate" in.srt -o out.srt --fps 25:0
refuse "rows past the end" in.srt -o out.srt --by 1 --rows 4-5
refuse "not a subtitle" in.srt -o out.txt --by 1
printf '1\r\nsoon --> 00:00:02,000\r\nx\r\n\r\n' > bad.srt
refuse "unreadable time" bad.srt -o out.srt --by 1

finish
