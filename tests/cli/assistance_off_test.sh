#!/usr/bin/env bash
# With every teaching assistance switched off in setup.sys, recognition and the library files are
# byte for byte what they were before the assistance existed: on the shipped demo and on a
# generated film, taught from the same answers. The expected digests were taken from the program
# as it stood before the assistance was added.
# Usage: assistance_off_test.sh ZENTROPE_CLI DATA_FOLDER MAKE_FILM
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
make_film=$3

# The answers: every character of the truth in order, spaces and line breaks left out, so that the
# questions are answered the same way whatever they are.
answers_from_truth() {  # answers_from_truth TRUTH_FILE > ANSWERS
  iconv -f GBK -t UTF-8 "$1" | sed -e 's/\\N//g' -e 's/ //g' -e 's/\r//' |
    grep -o . | sed 's/^/save /'
}

# The shipped settings, the check after recognition off (the raw text is compared), and the
# assistance lines (24 to 30) after the 23 settings lines every release has written, all off.
assistance_off_settings() {  # assistance_off_settings FOLDER
  head -n 23 "$data/setup.sys" | sed '19s/.*/0\r/' > "$1/setup.sys"
  printf '0\r\n' >> "$1/setup.sys"  # line 23: the save encoding, GBK
  printf '0\r\n0\r\n0\r\n0\r\n\r\n0\r\n0\r\n' >> "$1/setup.sys"
}

digest() {  # digest FOLDER: the output and every library file, pictures included
  (cd "$1" && cat out.srt word.wrd word.sts word.ind newword.wrd newword.sts \
     $(ls wordbmp | sort | sed 's|^|wordbmp/|') | md5sum | cut -d' ' -f1)
}

run_case() {  # run_case NAME SUBTITLE TRUTH EXPECTED_DIGEST [OCR OPTION...]
  local folder=$work/$1
  mkdir -p "$folder/wordbmp"
  cp "$data"/word.* "$data"/newword.* "$data"/language.sys "$data"/replace.sys "$folder/"
  assistance_off_settings "$folder"
  answers_from_truth "$3" > "$folder/answers.txt"
  (cd "$folder" && "$cli" ocr "$2" -o out.srt --answers answers.txt --unknown skip "${@:5}" \
     > /dev/null 2> err.txt) || fail "$1: ocr exited $?: $(cat "$folder/err.txt")"
  local got
  got=$(digest "$folder")
  [ "$got" = "$4" ] || fail "$1: output and library differ from before the assistance ($got)"
}

run_case demo "$data/demo/demo.srt" "$data/demo/truth.txt" 84a4657a8a35191863444b37bacd9f8d

QT_QPA_PLATFORM=offscreen "$make_film" "$work/film" 40 7 > /dev/null 2>&1 ||
  fail "make_film exited $?"
run_case film "$work/film/film.srt" "$work/film/truth.txt" a33e813d40cc8df8d586129d913353c2
# With teaching from the reference off, the film's own text as reference changes nothing.
run_case film-reference "$work/film/film.srt" "$work/film/truth.txt" \
  a33e813d40cc8df8d586129d913353c2 --reference "$work/film/reference.srt"
grep -q '^teaching from the reference: off' "$work/film-reference/err.txt" ||
  fail "the unused reference is not reported"

finish
