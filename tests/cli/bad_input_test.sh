#!/usr/bin/env bash
# Bad input on every zentrope-cli command: missing files, folders, FIFOs, a 100 MB single line,
# binary junk, a bitmap header claiming 60000 x 60000, an SRT naming 100,000 missing pictures and
# UTF-8 text GBK cannot hold. Each must end with an "error:" line on stderr and a non-zero exit,
# leave no output (nor hidden temporary) file, and stay within 30 s and 1 GB.
# Usage: bad_input_test.sh ZENTROPE_CLI DATA_FOLDER [SANITIZED]
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

# Sanitizer builds run several times slower in several times the memory.
seconds=30
kilobytes=$((1024 * 1024))
if [ "${3:-OFF}" = ON ]; then
  seconds=120
  kilobytes=$((4 * 1024 * 1024))
fi
if [ ! -x /usr/bin/time ]; then
  echo "SKIP: /usr/bin/time is needed for the memory ceiling"
  exit 77
fi

lib="$work/lib"
cp -r "$data" "$lib"
out="$work/out"
mkdir "$out"

# --- the inputs, generated here ---
mkdir "$work/folder.srt" "$work/folder.bmp" "$work/folder.sup"
mkfifo "$work/fifo.srt" "$work/fifo.bmp" "$work/fifo.txt" "$work/fifo.sup"
head -c 100000000 /dev/zero | tr '\0' 'A' > "$work/long.srt"
cp "$work/long.srt" "$work/long.bmp"
cp "$work/long.srt" "$work/long.sup"
head -c 3000000 "$cli" > "$work/junk.srt"  # the program's own bytes: junk, yet reproducible
cp "$work/junk.srt" "$work/junk.bmp"
cp "$work/junk.srt" "$work/junk.sup"
# A bitmap file header and info header claiming 60000 x 60000 pixels of 24 bits, then no pixels.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; printf "\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
{
  printf 'BM'; le32 $((54 + 60000 * 180000)); le32 0; le32 54
  le32 40; le32 60000; le32 60000; printf '\x01\x00\x18\x00'; le32 0; le32 $((60000 * 180000))
  le32 2835; le32 2835; le32 0; le32 0
} > "$work/huge.bmp"
mkdir "$work/huge"
cp "$work/huge.bmp" "$work/huge/1.bmp"
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n1.bmp\r\n\r\n' > "$work/huge/huge.srt"
mkdir "$work/missing"
awk 'BEGIN { for (n = 1; n <= 100000; n++) printf "%d\r\n00:00:01,000 --> 00:00:02,000\r\n%d.bmp\r\n\r\n", n, n }' \
  > "$work/missing/missing.srt"
# UTF-8 text with a character GBK cannot hold (an emoji).
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nsmile \xf0\x9f\x98\x80\r\n' > "$work/utf8.srt"

# expect_refusal WHAT COMMAND...: runs the command under the ceilings and checks the outcome.
expect_refusal() {
  local what=$1
  shift
  rm -rf "$out" && mkdir "$out"
  local started=$SECONDS
  timeout "$seconds" /usr/bin/time -f '%M' -o "$work/memory.txt" "$@" > "$work/stdout.txt" \
    2> "$work/stderr.txt" < /dev/null
  local status=$?
  local took=$((SECONDS - started))
  if [ "$status" -eq 124 ]; then
    fail "$what: still running after ${seconds} s"
    return
  fi
  if [ "$status" -eq 0 ]; then
    fail "$what: exit 0"
  elif [ "$status" -ge 128 ]; then
    fail "$what: crashed with status $status: $(tail -3 "$work/stderr.txt")"
  fi
  # /usr/bin/time adds its own line when the command fails; the memory is its last line.
  local memory
  memory=$(tail -1 "$work/memory.txt")
  if [ "${memory:-0}" -gt "$kilobytes" ]; then
    fail "$what: used ${memory} kB"
  fi
  local errors
  errors=$(grep -c '^error: ' "$work/stderr.txt")
  [ "$errors" -ge 1 ] || fail "$what: no error line on stderr: $(head -3 "$work/stderr.txt")"
  [ "$(wc -l < "$work/stderr.txt")" -le 20 ] || fail "$what: $(wc -l < "$work/stderr.txt") lines on stderr"
  [ -z "$(ls -A "$out")" ] || fail "$what: left $(ls -A "$out")"
  echo "ok ${took}s ${memory}kB $what: $(grep -m1 '^error: ' "$work/stderr.txt" | cut -c1-150)"
}

# The subtitle commands over every kind of bad subtitle.
for input in absent.srt folder.srt fifo.srt long.srt junk.srt utf8.srt missing/missing.srt; do
  in="$work/$input"
  case $input in
    missing/*) ;;
    *)
      expect_refusal "convert $input" "$cli" convert "$in" "$out/o.srt"
      expect_refusal "check $input" "$cli" check "$in" -o "$out/o.srt" --workdir "$lib"
      expect_refusal "fix-overlaps $input" "$cli" fix-overlaps "$in" -o "$out/o.srt"
      expect_refusal "replace $input" "$cli" replace "$in" --find A --with BB -o "$out/o.srt"
      ;;
  esac
  case $input in
    utf8.srt) ;;  # a text subtitle: refused below as not a picture subtitle anyway
    *)
      expect_refusal "ocr $input" "$cli" ocr "$in" -o "$out/o.srt" --workdir "$lib" --unknown skip
      expect_refusal "estimate $input" "$cli" estimate "$in"
      expect_refusal "crop $input" "$cli" crop "$in"
      ;;
  esac
done
expect_refusal "ocr over a picture claiming 60000 x 60000" \
  "$cli" ocr "$work/huge/huge.srt" -o "$out/o.srt" --workdir "$lib" --unknown skip
expect_refusal "estimate over a picture claiming 60000 x 60000" "$cli" estimate "$work/huge/huge.srt"
expect_refusal "ocr with answers from a FIFO" \
  "$cli" ocr "$data/demo/demo.srt" -o "$out/o.srt" --workdir "$lib" --answers "$work/fifo.txt"

# The script conversion and the disc import over the same bad files. The conversion takes any
# text line by line, so a long line or junk is converted, not refused: only what cannot be read.
for input in absent.srt folder.srt fifo.srt; do
  expect_refusal "chinese $input" "$cli" chinese "$work/$input" -o "$out/o.srt" --to hans
done
for input in absent.sup folder.sup fifo.sup long.sup junk.sup; do
  expect_refusal "import $input" "$cli" import "$work/$input" -o "$out/pictures"
done

# --allow-lossy gives the earlier behaviour: the characters become '?', a warning, and OUT.
"$cli" convert "$work/utf8.srt" "$work/lossy.srt" --allow-lossy > /dev/null 2> "$work/stderr.txt" ||
  fail "convert --allow-lossy exited $?"
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nsmile ?\r\n\r\n' > "$work/lossy-expected.srt"
cmp -s "$work/lossy.srt" "$work/lossy-expected.srt" || fail "convert --allow-lossy wrote $(od -c "$work/lossy.srt")"
grep -q "^warning: .*could not be held in GBK" "$work/stderr.txt" || fail "lossy warning: $(cat "$work/stderr.txt")"
"$cli" replace "$work/utf8.srt" --find smile --with grin -o "$work/lossy.srt" --allow-lossy \
  > /dev/null 2>&1 || fail "replace --allow-lossy exited $?"
grep -q 'grin ?' "$work/lossy.srt" || fail "replace --allow-lossy wrote $(cat "$work/lossy.srt")"

# The picture commands over every kind of bad bitmap.
for input in absent.bmp folder.bmp fifo.bmp long.bmp junk.bmp huge.bmp; do
  expect_refusal "features $input" "$cli" features "$work/$input" --box 0,0,1,1
  expect_refusal "analyse $input" "$cli" analyse "$work/$input" --workdir "$lib"
done

# The library commands over a folder whose word.wrd is missing, a folder, a FIFO, junk or one
# 100 MB line, and merges of such other libraries.
for kind in absent folder fifo junk long; do
  broken="$work/lib-$kind"
  cp -r "$data" "$broken"
  rm -f "$broken/word.wrd" "$broken/word.ind"
  case $kind in
    folder) mkdir "$broken/word.wrd" ;;
    fifo) mkfifo "$broken/word.wrd" ;;
    junk) cp "$work/junk.srt" "$broken/word.wrd" ;;
    long) cp "$work/long.srt" "$broken/word.wrd" ;;
  esac
  for command in check rebuild-index archive stats; do
    expect_refusal "library $command with word.wrd $kind" "$cli" library "$command" --workdir "$broken"
  done
  expect_refusal "library export with word.wrd $kind" \
    "$cli" library export 1 1 "$out/share" --workdir "$broken"
  other="$work/other-$kind"
  mkdir "$other"
  cp "$data/word.sts" "$other/base.sts"
  case $kind in
    folder) mkdir "$other/base.wrd" ;;
    fifo) mkfifo "$other/base.wrd" ;;
    junk) cp "$work/junk.srt" "$other/base.wrd" ;;
    long) cp "$work/long.srt" "$other/base.wrd" ;;
  esac
  expect_refusal "library merge of a base.wrd $kind" "$cli" library merge "$other/base" --workdir "$lib"
done
expect_refusal "library check of a missing folder" "$cli" library check --workdir "$work/absent"
expect_refusal "library export into a missing folder" \
  "$cli" library export 1 1 "$work/absent/share" --workdir "$lib"

finish
