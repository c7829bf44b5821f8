#!/usr/bin/env bash
# zentrope-cli and the picture files a subtitle names: names that leave the subtitle's folder are
# refused unless allowed, Chinese names are found on a UTF-8 file system, a crop stopped by a bad
# picture says what it did, answers come through pipes, and FIFOs are named as what they are.
# Usage: picture_files_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

lib="$work/lib"
cp -r "$data" "$lib"
demo="$lib/demo"

# A film whose rows 2 and 3 name pictures outside its folder.
mkdir -p film outside
cp "$demo"/000[1-4].bmp film/
cp "$demo/0002.bmp" outside/o1.bmp
cp "$demo/0003.bmp" outside/o2.bmp
sed -e 's|^0002\.bmp|../outside/o1.bmp|' -e "s|^0003\\.bmp|$work/outside/o2.bmp|" \
  "$demo/demo.srt" | head -n 16 > film/film.srt
sums=$(md5sum outside/*)
for command in "crop" "ocr --workdir $lib --unknown skip -o film/out.srt" "estimate"; do
  # shellcheck disable=SC2086
  "$cli" $command film/film.srt > out.txt 2> err.txt
  status=$?
  [ "$status" -eq 1 ] || fail "$command with pictures outside exited $status"
  grep -q "2 rows name pictures outside its folder: 2 (../outside/o1.bmp), 3 ($work/outside/o2.bmp)" \
    err.txt || fail "$command refusal: $(cat err.txt)"
  [ "$(md5sum outside/*)" = "$sums" ] || fail "$command changed pictures outside the film's folder"
done
[ -e film/out.srt ] && fail "a refused ocr wrote its output"
"$cli" crop film/film.srt --allow-outside-pictures > out.txt 2> err.txt ||
  fail "crop --allow-outside-pictures exited $?: $(cat err.txt)"
[ "$(md5sum outside/*)" = "$sums" ] && fail "crop --allow-outside-pictures left them alone"
"$cli" estimate film/film.srt --allow-outside-pictures > out.txt 2>&1 ||
  fail "estimate --allow-outside-pictures exited $?: $(cat out.txt)"

# Chinese picture names: the SRT holds them in its own encoding (UTF-8 or GBK), the file system
# in UTF-8; the pictures are found either way.
mkdir chinese
for n in 1 2 3; do cp "$demo/000$n.bmp" "chinese/电影字幕图片$n.bmp"; done
head -n 12 "$demo/demo.srt" | sed 's|^000\([1-3]\)\.bmp|电影字幕图片\1.bmp|' > chinese/utf8.srt
iconv -f UTF-8 -t GBK chinese/utf8.srt > chinese/gbk.srt
for srt in utf8 gbk; do
  "$cli" ocr "chinese/$srt.srt" --workdir "$lib" --unknown skip -o "chinese/$srt-out.srt" \
    > /dev/null 2> err.txt || fail "ocr of $srt.srt with Chinese picture names exited $?"
  grep -q '^pictures missing: 0$' err.txt || fail "$srt.srt: $(cat err.txt)"
  "$cli" estimate "chinese/$srt.srt" > out.txt 2>&1 || fail "estimate of $srt.srt: $(cat out.txt)"
done

# A crop stopped by a damaged picture says what it cropped and where it stopped.
mkdir broken
cp "$demo"/00*.bmp "$demo/demo.srt" broken/
printf 'BMnot really' > broken/0003.bmp
"$cli" crop broken/demo.srt > out.txt 2> err.txt
status=$?
[ "$status" -eq 1 ] || fail "crop over a damaged picture exited $status"
grep -q '^row 3 (0003.bmp) stopped the crop: 2 pictures were cropped in place before it, the rest are unchanged$' \
  err.txt || fail "crop stop: $(cat err.txt)"
cmp -s "$demo/0004.bmp" broken/0004.bmp || fail "crop went on after the damaged picture"

# Answers from a pipe or a process substitution are read to their end.
"$cli" ocr "$demo/demo.srt" --workdir "$lib" --unknown skip --answers <(printf 'skip\n') \
  > /dev/null 2> err.txt || fail "ocr --answers <(...) exited $?: $(cat err.txt)"
grep -q '^answers used 1 of 1$' err.txt || fail "answers from a pipe: $(cat err.txt)"
printf 'save \xff\xfe\n' > bad-answers.txt
"$cli" ocr "$demo/demo.srt" --workdir "$lib" --answers bad-answers.txt > /dev/null 2> err.txt &&
  fail "an answers file with invalid UTF-8 was accepted"
grep -q 'bad-answers.txt:1: the text to save is not valid UTF-8' err.txt ||
  fail "invalid answer: $(cat err.txt)"

# A FIFO given as a picture is named as one, and never opened.
mkfifo pipe.bmp
for command in "features pipe.bmp --box 0,0,5,5" "analyse pipe.bmp --workdir $lib"; do
  # shellcheck disable=SC2086
  timeout 10 "$cli" $command > /dev/null 2> err.txt
  status=$?
  [ "$status" -eq 1 ] || fail "$command exited $status"
  grep -q 'pipe.bmp: it is a FIFO (named pipe), not a regular file' err.txt ||
    fail "$command: $(cat err.txt)"
done

finish
