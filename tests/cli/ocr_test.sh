#!/usr/bin/env bash
# End-to-end checks of zentrope-cli ocr, features, estimate and replace where they used to
# mislead: boxes outside the picture, the post-run switches, answers left over, runs that stop,
# missing or broken pictures (exit 1, named by row, the other rows written), and replacing on a
# 100 MB line.
# Usage: ocr_test.sh ZENTROPE_CLI DATA_FOLDER [SANITIZED]
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

lib="$work/lib"
cp -r "$data" "$lib"
demo="$lib/demo"
picture="$demo/0001.bmp"

# --- features: only boxes inside the prepared picture are measured ---
"$cli" features "$picture" --box 0,0,5,5 > out.txt 2> err.txt || fail "features in the picture exited $?"
[ "$(tr -cd , < out.txt | wc -c)" -eq 14 ] || fail "features line: $(cat out.txt)"
for box in 2147483647,2147483647,2147483647,2147483647 -1,0,5,5 0,-3,5,5 0,0,0,5 0,0,5,-1 \
  0,0,100000,5 440,0,2,5 1,1,2147483647,1; do
  timeout 10 "$cli" features "$picture" --box "$box" > out.txt 2> err.txt
  status=$?
  [ "$status" -eq 1 ] || fail "features --box $box exited $status"
  grep -q '^error: --box .* does not lie inside the prepared picture' err.txt ||
    fail "features --box $box: $(cat err.txt)"
  [ -s out.txt ] && fail "features --box $box printed $(cat out.txt)"
done

# --- ocr: the post-run switches say what ran ---
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --unknown skip --check on \
  --fix-overlaps off > /dev/null 2> err.txt || fail "ocr with switches exited $?"
grep -q '^check and proofread: ran, ' err.txt || fail "check did not run: $(cat err.txt)"
grep -q '^time-overlap correction: off$' err.txt || fail "overlaps not off: $(cat err.txt)"
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --unknown skip --check off \
  --fix-overlaps on > /dev/null 2> err.txt || fail "ocr with switches exited $?"
grep -q '^check and proofread: off$' err.txt || fail "check not off: $(cat err.txt)"
grep -q '^time-overlap correction: ran, ' err.txt || fail "overlaps did not run: $(cat err.txt)"
if "$cli" ocr "$demo/demo.srt" --workdir "$lib" --check maybe > /dev/null 2>&1; then
  fail "--check maybe was taken"
fi

# --- ocr --answers: every answer must be used in stop mode ---
yes skip | head -1000 > many.txt
rm -f "$work/o.srt"
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --answers many.txt > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "leftover answers in stop mode exited $status"
grep -q '^answers used [0-9]* of 1000$' err.txt || fail "answers count: $(cat err.txt)"
grep -q '^error: [0-9]* answers were left over' err.txt || fail "leftover error: $(cat err.txt)"
[ -e "$work/o.srt" ] && fail "a failed run wrote its output"
used=$(sed -n 's/^answers used \([0-9]*\) of 1000$/\1/p' err.txt)
# Exactly the answers used make a clean run; in skip mode leftovers are no failure.
head -"$used" many.txt > exact.txt
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --answers exact.txt > /dev/null 2> err.txt ||
  fail "an exact answers file exited $?: $(cat err.txt)"
grep -q "^answers used $used of $used\$" err.txt || fail "exact answers: $(cat err.txt)"
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --answers many.txt --unknown skip \
  > /dev/null 2> err.txt || fail "leftover answers in skip mode exited $?"

# --- a run that stops tells where and how much is left ---
head -2 many.txt > two.txt
rm -f "$work/o.srt"
"$cli" ocr "$demo/demo.srt" -o "$work/o.srt" --workdir "$lib" --answers two.txt > /dev/null 2> err.txt
status=$?
[ "$status" -eq 2 ] || fail "stopped run exited $status"
grep -q '^stopped at row 1 with 20 rows not recognised$' err.txt || fail "stop line: $(cat err.txt)"
grep -q 'unknown glyphs left' err.txt && fail "the old misleading count is still printed"
[ -e "$work/o.srt" ] && fail "a run that recognised nothing wrote $(wc -c < "$work/o.srt") bytes"

# --- missing and broken pictures fail the run, are named by row, and the other rows are written ---
cp -r "$demo" "$work/gaps"
rm "$work/gaps/0005.bmp"
"$cli" ocr "$work/gaps/demo.srt" -o "$work/o.srt" --workdir "$lib" --unknown skip > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "missing picture exited $status"
grep -q '^error: 1 of 20 pictures are missing or unusable$' err.txt || fail "missing: $(cat err.txt)"
grep -q '^error: rows skipped for their pictures: 5 (0005.bmp)$' err.txt || fail "missing row: $(cat err.txt)"
grep -q "^$work/o.srt was written with the 19 rows recognised$" err.txt || fail "written: $(cat err.txt)"
[ "$(grep -c -- ' --> ' "$work/o.srt")" -eq 19 ] || fail "missing picture: the 19 rows were not written"
rm -f "$work/o.srt"
cp -r "$demo" "$work/broken"
printf 'BMnot really' > "$work/broken/0003.bmp"
"$cli" ocr "$work/broken/demo.srt" -o "$work/o.srt" --workdir "$lib" --unknown skip > /dev/null 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "broken picture exited $status"
grep -q '^error: .*0003.bmp is a damaged' err.txt || fail "broken: $(cat err.txt)"
grep -q '^error: rows skipped for their pictures: 3 (0003.bmp)$' err.txt || fail "broken row: $(cat err.txt)"
[ -e "$work/o.srt" ] || fail "broken picture: the other rows were not written"
rm -f "$work/o.srt"
"$cli" estimate "$demo/demo.srt" > out.txt 2>&1 || fail "estimate exited $?"
grep -q '^S_L [1-9]' out.txt || fail "estimate: $(cat out.txt)"

# --- replace on one 100 MB line: one pass, and a cap message that says what happened ---
{ printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n'; head -c 100000000 /dev/zero | tr '\0' 'A'
  printf '\r\n'; } > long.srt
started=$SECONDS
timeout 60 "$cli" replace long.srt --find A --with BB -o long-out.srt > out.txt 2> err.txt ||
  fail "replace on a long line exited $?"
took=$((SECONDS - started))
[ "$took" -le 30 ] || fail "replace on a long line took ${took} s"
grep -q 'replacing stopped after 10000 replacements, the most one text takes' err.txt ||
  fail "cap message: $(cat err.txt)"
grep -q 'recreating' err.txt && fail "the cap blamed a recreating replacement: $(cat err.txt)"
[ "$(cat out.txt)" = 10000 ] || fail "replacements: $(cat out.txt)"
[ "$(head -c 20036 long-out.srt | tail -c 4)" = BBAA ] || fail "replaced text"
rm -f long.srt long-out.srt
# A replacement that does recreate its search text is still named as such.
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n' > cascade.srt
{ head -c 10001 /dev/zero | tr '\0' 'a'; head -c 10001 /dev/zero | tr '\0' 'b'; printf '\r\n'; } >> cascade.srt
"$cli" replace cascade.srt --find ab --with b -o cascade-out.srt > /dev/null 2> err.txt ||
  fail "cascading replace exited $?"
grep -q 'keeps recreating the search text' err.txt || fail "cascade message: $(cat err.txt)"

finish
