#!/usr/bin/env bash
# zentrope-cli ocr --teach-stdio: one JSON question per unknown glyph, answers read line by line,
# the summary of questions, typed answers and accepted suggestions.
# Usage: teach_stdio_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

cp "$data"/word.* "$data"/newword.* "$data"/language.sys "$data"/replace.sys "$data"/setup.sys .
mkdir wordbmp

# Row 1 begins 怎 会: save the first, then ask for the second twice (an unknown answer repeats the
# question), move its box, and abort.
printf 'save \xe6\x80\x8e\nbogus\nbox 160 19\nabort\n' |
  "$cli" ocr "$data/demo/demo.srt" --teach-stdio > questions.txt 2> err.txt
status=$?
[ "$status" = 2 ] || fail "an aborted run exits 2, got $status"
[ "$(wc -l < questions.txt)" = 4 ] || fail "four questions expected: $(cat questions.txt)"
first=$(sed -n 1p questions.txt)
for field in '"row":1' '"picture":"0001.bmp"' '"glyph_width":20' '"line":{"top":0,"height":20}' \
             '"box":{"left":144,' '"current":0' '"start":0' '"text":""' '"suggestions":['; do
  case $first in *"$field"*) ;; *) fail "first question lacks $field: $first" ;; esac
done
case $first in *'"segments":[[144,164],[167,186],'*) ;; *) fail "segments: $first" ;; esac
second=$(sed -n 2p questions.txt)
case $second in *'"text":"怎"'*'"current":1'*) ;; *'"current":1'*'"text":"怎"'*) ;;
  *) fail "second question: $second" ;; esac
[ "$(sed -n 3p questions.txt)" = "$second" ] || fail "an unknown answer must repeat the question"
# The box may not start before the question's first segment (167).
case $(sed -n 4p questions.txt) in *'"box":{"left":167,"top":0,"width":19,'*) ;;
  *) fail "box answer: $(sed -n 4p questions.txt)" ;; esac
grep -q 'unknown answer "bogus"' err.txt || fail "unknown answer not reported"
# Every question line written counts, the repeated one too; the glyphs asked about are two.
grep -q '^questions asked: 4$' err.txt || fail "summary: $(cat err.txt)"
grep -q '^glyphs asked about: 2$' err.txt || fail "glyphs asked about: $(cat err.txt)"
# A question keeps its id while the same glyph is asked again; segments carry their ink.
case $first in *'"id":1}'*) ;; *) fail "first question id: $first" ;; esac
case $second in *'"id":2}'*) ;; *) fail "second question id: $second" ;; esac
case $(sed -n 4p questions.txt) in *'"id":2}'*) ;; *) fail "a box change keeps the id" ;; esac
case $first in *'"ink":['[1-9]*) ;; *) fail "segment ink: $first" ;; esac
grep -q '^answers typed: 1$' err.txt || fail "typed count"
grep -q '^suggestions accepted: 0$' err.txt || fail "accepted count"
grep -q '^glyphs taught: 1$' err.txt || fail "taught count"

# The OCR guess: questions offer the engine's reading as an "ocr" suggestion. With its data
# missing they offer none, and one status line names the data; the engine's own complaints stay
# out of the output.
printf 'skip\nskip\nskip\nabort\n' |
  "$cli" ocr "$data/demo/demo.srt" --teach-stdio > guess.txt 2> guess-err.txt
grep -q '"source":"ocr"' guess.txt || fail "no OCR guess offered: $(cat guess.txt)"
grep -q 'chi_sim' guess-err.txt && fail "the guess reported missing data: $(cat guess-err.txt)"
mkdir empty-tessdata
printf 'skip\nskip\nskip\nabort\n' |
  TESSDATA_PREFIX="$PWD/empty-tessdata" "$cli" ocr "$data/demo/demo.srt" --teach-stdio \
    > no-guess.txt 2> no-guess-err.txt
[ $? = 2 ] || fail "a run without OCR data must go on as usual (aborted: exit 2)"
[ "$(wc -l < no-guess.txt)" = 4 ] || fail "four questions expected without OCR data"
grep -q '"source":"ocr"' no-guess.txt && fail "an OCR guess without its data: $(cat no-guess.txt)"
[ "$(grep -c 'chi_sim' no-guess-err.txt)" = 1 ] || fail "one status line expected: $(cat no-guess-err.txt)"
grep -qi 'traineddata\|tesseract' no-guess-err.txt && fail "engine messages leaked: $(cat no-guess-err.txt)"

# Invalid UTF-8 and a NUL byte are refused and the question asked again; nothing reaches word.wrd.
before=$(md5sum word.wrd)
printf 'save \xff\xfe\nsave a\0b\nabort\n' |
  "$cli" ocr "$data/demo/demo.srt" --teach-stdio > refused.txt 2> refused-err.txt
[ $? = 2 ] || fail "an aborted run after refused answers must exit 2"
[ "$(wc -l < refused.txt)" = 3 ] || fail "each refused answer repeats the question: $(wc -l < refused.txt)"
grep -q 'the text to save is not valid UTF-8; the question is asked again' refused-err.txt ||
  fail "invalid UTF-8 not reported: $(cat refused-err.txt)"
grep -q 'the text to save holds a NUL byte' refused-err.txt || fail "NUL not reported"
[ "$(md5sum word.wrd)" = "$before" ] || fail "a refused answer changed word.wrd"

# The end of the input aborts; --answers and --teach-stdio exclude each other.
"$cli" ocr "$data/demo/demo.srt" --teach-stdio < /dev/null > /dev/null 2>&1
[ $? = 2 ] || fail "end of input must abort the run"
: > answers.txt
"$cli" ocr "$data/demo/demo.srt" --teach-stdio --answers answers.txt > /dev/null 2>&1 &&
  fail "--answers with --teach-stdio accepted"

finish
