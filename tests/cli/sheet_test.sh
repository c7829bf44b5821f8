#!/usr/bin/env bash
# zentrope-cli ocr --collect and teach: the sheet of a generated film's new shapes, taught as one
# page, gives the library files and glyph pictures of answering the same questions one by one.
# Usage: sheet_test.sh ZENTROPE_CLI DATA_FOLDER MAKE_FILM
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
make_film=$3

QT_QPA_PLATFORM=offscreen "$make_film" "$work/film" 12 7 > /dev/null 2>&1 ||
  fail "make_film exited $?"
film=$work/film

empty_library() {  # empty_library FOLDER
  mkdir -p "$1/wordbmp"
  : > "$1/word.wrd"
  : > "$1/word.sts"
  cp "$data"/language.sys "$data"/replace.sys "$data"/setup.sys "$1/"
}

# Collecting: the whole film without a question, nothing taught.
empty_library sheet
"$cli" ocr "$film/film.srt" --workdir sheet --collect sheet.json < /dev/null > out.txt 2> err.txt
[ $? = 0 ] || fail "a collecting run completes: $(cat err.txt)"
[ -s out.txt ] && fail "a collecting run asks nothing: $(head -c 300 out.txt)"
shapes=$(sed -n 's/^shapes collected: //p' err.txt)
occurrences=$(sed -n 's/^occurrences: //p' err.txt)
[ "${shapes:-0}" -gt 5 ] || fail "shapes collected: $(cat err.txt)"
[ "$(grep -c '^{"id":' sheet.json)" = "$shapes" ] || fail "one sheet line per shape"
counted=$(grep -o '"count":[0-9]*' sheet.json | awk -F: '{ s += $2 } END { print s }')
[ "$counted" = "$occurrences" ] || fail "counts $counted, occurrences $occurrences"
grep -q "^glyphs skipped: $occurrences$" err.txt || fail "every unknown glyph is collected"
[ -s sheet/word.wrd ] && fail "collecting taught something"

# Fill every shape with the label g<id> and teach the page.
sed -E 's/^\{"id":([0-9]+),(.*)"text":"","noise"/{"id":\1,\2"text":"g\1","noise"/' sheet.json \
  > filled.json
"$cli" teach filled.json --workdir sheet 2> teach.txt || fail "teach: $(cat teach.txt)"
grep -q "^glyphs taught: $shapes$" teach.txt || fail "teach report: $(cat teach.txt)"
[ "$(wc -l < sheet/newword.wrd)" = "$shapes" ] || fail "the journal holds the page"
"$cli" teach filled.json --workdir sheet 2> again.txt || fail "teach again: $(cat again.txt)"
grep -q "^already known: $shapes$" again.txt || fail "taught twice: $(cat again.txt)"

# The same answers one by one, in the order the questions come.
empty_library single
for i in $(seq 1 "$shapes"); do echo "save g$i"; done > answers.txt
"$cli" ocr "$film/film.srt" --workdir single --answers answers.txt -o single.srt 2> single.txt ||
  fail "one by one: $(cat single.txt)"
"$cli" ocr "$film/film.srt" --workdir sheet -o sheet.srt 2> read.txt ||
  fail "reading with the page: $(cat read.txt)"
grep -q '^glyphs skipped: 0$' read.txt || fail "unknown glyphs left: $(cat read.txt)"
cmp -s single.srt sheet.srt || fail "the film reads otherwise after the page"
for file in word.wrd word.sts word.ind newword.wrd newword.sts; do
  cmp -s "single/$file" "sheet/$file" || fail "$file differs from teaching one by one"
done
[ "$(ls single/wordbmp | wc -l)" = "$shapes" ] || fail "one picture per glyph"
for picture in single/wordbmp/*; do
  cmp -s "$picture" "sheet/wordbmp/$(basename "$picture")" || fail "$picture differs"
done

# Noise and empty texts are not taught; a sheet that is not one is refused.
empty_library partial
sed -E '0,/"text":"","noise":false/s//"text":"x","noise":true/' sheet.json |
  sed -E '0,/"text":"","noise":false/s//"text":"y","noise":false/' > partial.json
"$cli" teach partial.json --workdir partial 2> partial.txt || fail "partial: $(cat partial.txt)"
grep -q '^shapes filled in: 1$' partial.txt || fail "noise counted: $(cat partial.txt)"
[ "$(cat partial/newword.wrd | tr -d '\r')" = "y" ] || fail "partial journal"
echo '{"shapes":[{"id":1}]}' > bad.json
"$cli" teach bad.json --workdir partial 2> bad.txt && fail "a bad sheet was taught"
grep -q 'shape 1' bad.txt || fail "bad sheet message: $(cat bad.txt)"
"$cli" ocr "$film/film.srt" --collect x.json --teach-stdio < /dev/null > /dev/null 2>&1 &&
  fail "--collect with --teach-stdio accepted"

finish
