#!/usr/bin/env bash
# zentrope-cli ocr --reference: glyphs the reference subtitle reads for certain are taught without
# a question and listed, the others are asked with the reference's character first, and a listed
# record can be deleted again by number.
# Usage: reference_teaching_test.sh ZENTROPE_CLI DATA_FOLDER MAKE_FILM
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
make_film=$3

QT_QPA_PLATFORM=offscreen "$make_film" "$work/film" 12 7 > /dev/null 2>&1 ||
  fail "make_film exited $?"
film=$work/film

empty_library() {  # empty_library FOLDER: no records, the shipped settings (assistance on)
  mkdir -p "$1/wordbmp"
  : > "$1/word.wrd"
  : > "$1/word.sts"
  cp "$data"/language.sys "$data"/replace.sys "$data"/setup.sys "$1/"
}

# The film's own text as the reference; unknown glyphs the reference leaves open are skipped.
empty_library taught
"$cli" ocr "$film/film.srt" --workdir taught --reference "$film/reference.srt" --unknown skip \
  -o taught/out.srt > /dev/null 2> taught/err.txt
automatic=$(sed -n 's/^automatic teachings: //p' taught/err.txt)
[ -n "$automatic" ] && [ "$automatic" -gt 0 ] || fail "no automatic teachings: $(cat taught/err.txt)"
listed=$(grep -c '^taught from the reference: row ' taught/err.txt)
[ "$listed" = "$automatic" ] || fail "$listed teachings listed, $automatic counted"
records=$(wc -l < taught/word.wrd)
[ "$records" -ge "$automatic" ] || fail "library holds $records records for $automatic teachings"
# Every listed character is one of its row's characters in the truth, and its record holds it.
while IFS= read -r entry; do
  row=$(sed -E 's/^taught from the reference: row ([0-9]+) .*/\1/' <<< "$entry")
  text=$(sed -E 's/^taught from the reference: row [0-9]+ \([^)]*\) (.*) as record [0-9]+$/\1/' \
           <<< "$entry")
  number=$(sed -E 's/.* as record ([0-9]+)$/\1/' <<< "$entry")
  truth=$(sed -n "${row}p" "$film/truth.txt" | iconv -f GBK -t UTF-8)
  case $truth in *"$text"*) ;; *) fail "row $row has no \"$text\": $truth" ;; esac
  stored=$(sed -n "${number}p" taught/word.wrd | tr -d '\r' | iconv -f GBK -t UTF-8)
  [ "$stored" = "$text" ] || fail "record $number holds \"$stored\", not \"$text\""
done < <(grep '^taught from the reference: row ' taught/err.txt)

# Where the reference is not sure it asks, with the reference's character as first suggestion:
# row 1's reference with one character too many on its first line.
sed '3s/$/X/' "$film/reference.srt" > extra.srt
first=$(sed -n 1p "$film/truth.txt" | iconv -f GBK -t UTF-8 | head -c 3)  # an ideograph
empty_library asked
echo abort | "$cli" ocr "$film/film.srt" --workdir asked --reference extra.srt --teach-stdio \
  > asked/questions.txt 2> asked/err.txt
question=$(sed -n 1p asked/questions.txt)
case $question in *'"row":1,'*'"suggestions":[{"text":"'"$first"'","source":"reference"}'*) ;;
  *) fail "first question without the reference's $first first: $question" ;; esac
grep -q '^automatic teachings: 0$' asked/err.txt || fail "taught where unsure: $(cat asked/err.txt)"

# A listed record is deleted by number; the others keep their texts in order.
number=$(grep -m1 '^taught from the reference: row ' taught/err.txt | sed -E 's/.* ([0-9]+)$/\1/')
sed "${number}d" taught/word.wrd > expected.wrd
"$cli" library delete "$number" --workdir taught > delete.txt 2>&1 || fail "delete: $(cat delete.txt)"
cmp -s expected.wrd taught/word.wrd || fail "delete $number did not remove exactly that record"
grep -q "^records: $((records - 1))$" delete.txt || fail "delete report: $(cat delete.txt)"
cp taught/word.wrd before.wrd
"$cli" library delete 1 99999 --workdir taught > /dev/null 2>&1 &&
  fail "deleting a record that does not exist succeeded"
cmp -s before.wrd taught/word.wrd || fail "a refused delete changed the library"

# A reference that is no text subtitle is refused before anything runs.
"$cli" ocr "$film/film.srt" --workdir taught --reference "$film/truth.txt" > /dev/null 2>&1 &&
  fail "--reference truth.txt accepted"

finish
