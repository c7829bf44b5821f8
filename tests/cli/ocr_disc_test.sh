#!/usr/bin/env bash
# zentrope-cli ocr on a disc subtitle: recognising PGS, VobSub, Matroska and MPEG-TS streams in
# memory gives the same output, library files, questions and summary as importing them and
# recognising the import; nothing is written unless --pictures asks for the import's output.
# Usage: ocr_disc_test.sh ZENTROPE_CLI DATA_FOLDER MAKE_DISC_SAMPLES
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
"$3" samples > /dev/null || { echo "FAIL: make_disc_samples" >&2; exit 1; }

fresh_workdir() {  # fresh_workdir FOLDER: the shipped working files, an empty library
  rm -rf "$1" && mkdir "$1" && cp -r "$data"/* "$1"/
}
# The answers teach the first unknown glyphs as 字1, 字2, ... and the rest are skipped.
for i in $(seq 1 30); do printf 'save \xe5\xad\x97%d\n' "$i"; done > answers.txt
printf '1\r\n00:00:01,000 --> 00:00:02,500\r\nABC\r\n\r\n2\r\n00:01:01,000 --> 00:01:02,500\r\nAB\r\n\r\n' \
  > reference.srt

# compare NAME INPUT [OPTIONS...]: import INPUT with OPTIONS then ocr the import, against ocr on
# INPUT with OPTIONS; each way with its own fresh working folder and the same answers.
compare() {
  local name=$1 input=$2
  shift 2
  local ocr_options=(--answers answers.txt --unknown skip --reference reference.srt)
  fresh_workdir "$name-files"
  fresh_workdir "$name-memory"
  "$cli" import "$input" -o "$name-import" "$@" > /dev/null 2>&1 || fail "$name: import exited $?"
  "$cli" ocr "$name-import/$(basename "${input%.*}").srt" --workdir "$name-files" \
    "${ocr_options[@]}" -o "$name-files.srt" > /dev/null 2> "$name-files.err"
  local files_status=$?
  local before
  before=$(find . -path ./"$name-memory" -prune -o -print | sort)
  "$cli" ocr "$input" "$@" --workdir "$name-memory" "${ocr_options[@]}" -o "$name-memory.srt" \
    > /dev/null 2> "$name-memory.err"
  local memory_status=$?
  [ "$files_status" = "$memory_status" ] ||
    fail "$name: exit $memory_status in memory, $files_status from files"
  [ -e "$name-files.srt" ] || [ "$files_status" != 0 ] || fail "$name: no output from files"
  cmp -s "$name-files.srt" "$name-memory.srt" 2> /dev/null ||
    [ ! -e "$name-files.srt" ] || fail "$name: the outputs differ"
  diff -r "$name-files" "$name-memory" > /dev/null || fail "$name: the libraries differ"
  # The counts of the summary are the same (the times, the read's own line and the pictures'
  # folders aside).
  summary() {
    grep -v -e '^time:' -e 'pictures from' "$1" |
      sed -e 's#[^ ]*/\([0-9]*\.bmp\)#\1#g' -e "s/$name-\(files\|memory\)/$name/g"
  }
  diff <(summary "$name-files.err") <(summary "$name-memory.err") > /dev/null ||
    fail "$name: the summaries differ: $(diff "$name-files.err" "$name-memory.err" | head -5)"
  [ "$before" = "$(find . -path ./"$name-memory" -prune -o -print | sort | grep -v "$name-memory")" ] ||
    fail "$name: the run in memory wrote files"
}

compare sup samples/sample.sup
compare sup-t128 samples/sample.sup --ink-threshold 128
compare sup-outline samples/sample.sup --ink outline
compare sup-half samples/sample.sup --scale 2
compare vobsub samples/sample.idx
compare mkv samples/sample.mkv --track 2 --ink-threshold 128
compare m2ts samples/sample.m2ts --track 1
compare uhd samples/uhd.sup
# A picture wider than recognition reads: both ways skip it and fail alike.
compare uhd-full samples/uhd.sup --scale 1
grep -q 'pictures from 00:00:01,000 to 00:01:05,432 (track 1)' sup-memory.err ||
  fail "the read is not summed up: $(cat sup-memory.err)"
grep -q '^glyphs taught: 30$' sup-memory.err || fail "sup teaching: $(cat sup-memory.err)"

# --teach-stdio asks the same questions of the pictures in memory.
fresh_workdir stdio-files
fresh_workdir stdio-memory
"$cli" ocr sup-import/sample.srt --workdir stdio-files --teach-stdio < answers.txt \
  > stdio-files.txt 2> /dev/null
"$cli" ocr samples/sample.sup --workdir stdio-memory --teach-stdio < answers.txt \
  > stdio-memory.txt 2> /dev/null
[ -s stdio-memory.txt ] || fail "no question asked in memory"
cmp -s stdio-files.txt stdio-memory.txt || fail "the questions differ"
diff -r stdio-files stdio-memory > /dev/null || fail "--teach-stdio: the libraries differ"

# --pictures writes the import's own output as well, and the run is the same.
fresh_workdir pictures-work
"$cli" ocr samples/sample.sup --pictures written --workdir pictures-work --answers answers.txt \
  --unknown skip --reference reference.srt -o pictures.srt > /dev/null 2> pictures.err ||
  fail "--pictures exited $?"
diff -r written sup-import > /dev/null || fail "--pictures is not the import's output"
cmp -s pictures.srt sup-files.srt || fail "--pictures: the output differs"
diff -r pictures-work sup-files > /dev/null || fail "--pictures: the library differs"
grep -q "^written: .*written/sample.srt$" pictures.err || fail "--pictures: $(cat pictures.err)"
# An occupied folder is refused before anything is recognised, as the import refuses it.
"$cli" ocr samples/sample.sup --pictures written --workdir pictures-work --unknown skip \
  > /dev/null 2> occupied.err && fail "an occupied --pictures folder was taken"
grep -q 'not empty' occupied.err || fail "occupied: $(cat occupied.err)"

# The disc options belong to a disc subtitle; a damaged stream fails as the import fails.
"$cli" ocr sup-import/sample.srt --ink fill --workdir pictures-work > /dev/null 2> srt.err &&
  fail "--ink was taken for a picture subtitle"
grep -q 'options of a disc subtitle' srt.err || fail "srt options: $(cat srt.err)"
head -c 100 samples/sample.sup > cut.sup
"$cli" ocr cut.sup --workdir pictures-work > /dev/null 2> cut.err && fail "a cut stream was taken"
[ "$(grep -c '^error: ' cut.err)" = 1 ] || fail "cut stream: $(cat cut.err)"

finish
