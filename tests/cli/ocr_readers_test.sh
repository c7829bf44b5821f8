#!/usr/bin/env bash
# zentrope-cli ocr over the shipped demo film, taught from an empty library by one answers
# file: the core reader on one and two jobs and the toolkit's reader leave the same subtitle,
# library files and glyph pictures. A damaged picture asks the missing-picture question (Yes on
# the command line) and the run goes on; --jobs outside 1..2 is refused.
# Usage: ocr_readers_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

seq 1 2000 | sed 's/^/save g/' > answers.txt

# run NAME OPTIONS...: a fresh working folder and film copy, taught and recognised.
run() {
  local name=$1
  shift
  mkdir -p "$name/work" "$name/film"
  : > "$name/work/word.wrd"
  : > "$name/work/word.sts"
  cp "$data"/demo/* "$name/film/"
  if [ -n "${DAMAGE:-}" ]; then
    head -c 100 "$data/demo/$DAMAGE" > "$name/film/$DAMAGE"
  fi
  "$cli" ocr "$name/film/demo.srt" --workdir "$name/work" --answers answers.txt \
    --unknown skip -o "$name/out.srt" "$@" > "$name.log" 2>&1
  echo $? > "$name.status"
}

run toolkit --reader toolkit --jobs 1
run core1 --reader core --jobs 1
run core2 --jobs 2
for name in toolkit core1 core2; do
  [ "$(cat $name.status)" = 0 ] || fail "$name run exited $(cat $name.status): $(cat $name.log)"
done
grep -q "glyphs taught: [1-9]" toolkit.log || fail "nothing was taught: $(cat toolkit.log)"
for name in core1 core2; do
  cmp -s toolkit/out.srt $name/out.srt || fail "$name subtitle differs from the toolkit reader's"
  diff -r toolkit/work $name/work > /dev/null || fail "$name library differs: $(diff -rq toolkit/work $name/work)"
done

# A damaged picture is skipped like a missing one (the question is answered Yes on the command
# line): the other rows are recognised, and the run reports the picture and fails.
DAMAGE=0005.bmp run damaged --jobs 2
[ "$(cat damaged.status)" = 1 ] || fail "the damaged picture's run exited $(cat damaged.status)"
grep -q "pictures missing: 1" damaged.log || fail "the damaged picture was not skipped: $(cat damaged.log)"
grep -q "rows recognised: 19" damaged.log || fail "the other rows were not recognised: $(cat damaged.log)"
grep -q "^error: .*0005.bmp is a damaged or unsupported Windows bitmap" damaged.log ||
  fail "no error names the damaged file: $(cat damaged.log)"

if "$cli" ocr toolkit/film/demo.srt --workdir toolkit/work --jobs 3 > jobs.log 2>&1; then
  fail "--jobs 3 was accepted"
fi
finish
