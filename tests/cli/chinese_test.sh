#!/usr/bin/env bash
# End-to-end checks of `zentrope-cli chinese`: on real subtitles from the corpus it must give
# the texts the `opencc` tool gives with the same configuration (after the GBK round trip the
# program's texts make), except on the lines it reports as kept; everything but the texts stays
# byte for byte; and the failures exit 1 with one line on stderr and no output file.
# Usage: chinese_test.sh ZENTROPE_CLI DATA_FOLDER CORPUS_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
corpus=$3

command -v opencc > /dev/null || { echo "FAIL: the opencc tool is not installed" >&2; exit 1; }

# gbk_of SOURCE TARGET [ENCODING]: the file as GBK, as the program holds it (a UTF-8
# byte-order mark dropped).
gbk_of() {
  local source=$1 target=$2 encoding=${3:-}
  if [ -n "$encoding" ]; then
    iconv -f "$encoding" -t gbk "$source" > "$target"
  elif head -c 3 "$source" | cmp -s - <(printf '\xef\xbb\xbf'); then
    tail -c +4 "$source" | iconv -f utf-8 -t gbk > "$target"
  elif iconv -f utf-8 -t utf-8 "$source" > /dev/null 2>&1 && grep -qP '[^\x00-\x7f]' "$source"; then
    iconv -f utf-8 -t gbk "$source" > "$target"
  else
    cp "$source" "$target"
  fi
}

# texts_of FILE KIND: "line:text" for each line the conversion may touch. SRT: every line (the
# number and time lines are ASCII, which OpenCC never changes). SSA: the text field of each
# Dialogue line (OpenCC would also rewrite font names in styles, which must stay).
texts_of() {
  if [ "$2" = srt ]; then
    grep -n '' "$1"
  else
    grep -n '^Dialogue:' "$1" | sed -E 's/^([0-9]+:)Dialogue:([^,]*,){9}/\1/'
  fi
}

# compare NAME GBK_FILE KIND CONFIG ARGS...: zentrope-cli against opencc -c CONFIG.
compare() {
  local name=$1 input=$2 kind=$3 config=$4
  shift 4
  "$cli" chinese "$input" -o "$name.out" "$@" --encoding utf-8 > /dev/null 2> "$name.err" ||
    { fail "$name: exited $?: $(cat "$name.err")"; return; }
  iconv -f gbk -t utf-8 "$input" | opencc -c "$config" > "$name.expected"
  # Lines reported as holding a kept character may differ, and only those.
  local reported
  reported=$(sed -nE 's/.*: line ([0-9]+) \(entry [0-9]+\): kept .*/\1/p' "$name.err" | sort -u)
  local differing
  differing=$(diff <(texts_of "$name.expected" "$kind") <(texts_of "$name.out" "$kind") |
              sed -nE 's/^> ([0-9]+):.*/\1/p' | sort -u)
  for line in $differing; do
    grep -qx "$line" <<< "$reported" || fail "$name: line $line differs from opencc"
  done
  [ "$(texts_of "$name.out" "$kind" | wc -l)" -eq "$(texts_of "$name.expected" "$kind" | wc -l)" ] ||
    fail "$name: line count differs from opencc"
  # Everything that is not a text is the input's own bytes.
  if [ "$kind" = ssa ]; then
    cmp -s <(iconv -f gbk -t utf-8 "$input" | grep -v '^Dialogue:') <(grep -v '^Dialogue:' "$name.out") ||
      fail "$name: lines other than Dialogue lines changed"
  fi
  cmp -s "$name.out" "$name.expected" || [ -n "$reported" ] || [ "$kind" = ssa ] ||
    fail "$name: differs from opencc without a reported character"
}

gbk_of "$corpus/srtmergebox-chinese-unpadded-times-long.srt" merge.srt
gbk_of "$corpus/ums-chinese-gbk-crlf.srt" ums.srt
gbk_of "$corpus/ums-chinese-big5-crlf.srt" big5.srt big5
gbk_of "$corpus/jellyfin-blank-lines-inside-entries.srt" blank.srt
gbk_of "$corpus/xyvsfilter-gbk-ssa-events-crlf.ass" events.ass
gbk_of "$corpus/libass-tests-cjk-utf8-crlf.ass" cjk.ass
gbk_of "$corpus/xyvsfilter-fansub-chs-jpn-karaoke-bom-crlf.ass" karaoke.ass

compare merge-hant merge.srt srt s2t.json --to hant
compare merge-twp merge.srt srt s2twp.json --to twp
compare ums-hant ums.srt srt s2t.json --to hant
compare ums-tw ums.srt srt s2tw.json --to tw
compare ums-hk ums.srt srt s2hk.json --to hk
compare big5-hans big5.srt srt t2s.json --to hans
compare big5-tw2s big5.srt srt tw2s.json --to hans --from tw
compare big5-tw2sp big5.srt srt tw2sp.json --to hans --from twp
compare big5-hk2s big5.srt srt hk2s.json --to hans --from hk
compare blank-hant blank.srt srt s2t.json --to hant
compare events-hant events.ass ssa s2t.json --to hant
compare cjk-hans cjk.ass ssa t2s.json --to hans
compare karaoke-hant karaoke.ass ssa s2t.json --to hant

# 鱲頭髮: the Simplified form of 鱲 (U+2B6AD) is not in GBK, so 鱲 is kept and reported and the
# rest of the line converted.
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n\xf7\x76\xee\x5e\xf3\x8c\r\n' > kept.srt
compare kept kept.srt srt t2s.json --to hans
grep -q 'line 3 (entry 1): kept 鱲, its conversion U+2B6AD is not in GBK' kept.err ||
  fail "kept character not reported: $(cat kept.err)"
"$cli" chinese kept.srt -o kept-gbk.srt --to hans > /dev/null 2>&1
cmp -s kept-gbk.srt <(printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n\xf7\x76\xcd\xb7\xb7\xa2\r\n') ||
  fail "kept character: $(od -c kept-gbk.srt | head -5)"

# GBK output of a GBK file: only the texts differ, byte for byte.
"$cli" chinese ums.srt -o ums-gbk.srt --to hant > /dev/null 2>&1 || fail "gbk output exited $?"
cmp -s <(iconv -f gbk -t utf-8 ums-gbk.srt) ums-hant.out || fail "gbk and utf-8 outputs differ"
[ "$(grep -c $'\r$' ums-gbk.srt)" -eq "$(grep -c $'\r$' ums.srt)" ] || fail "line ends changed"

# Failures: exit 1, exactly one line on stderr, no output file.
expect_failure() {  # expect_failure OUT [VAR=VALUE] args...
  local out=$1
  shift
  env "$@" > /dev/null 2> err.txt
  local status=$?
  [ "$status" -eq 1 ] || fail "$* exited $status, not 1"
  [ "$(wc -l < err.txt)" -eq 1 ] || fail "$* printed $(wc -l < err.txt) lines on stderr"
  [ -e "$out" ] && fail "$* created $out"
}
mkdir nodata
expect_failure none1.srt ZENTROPE_OPENCC_DATA=nodata "$cli" chinese ums.srt -o none1.srt --to hant
grep -q 'libopencc-data' err.txt || fail "missing data does not say what to install: $(cat err.txt)"
expect_failure none2.srt "$cli" chinese missing.srt -o none2.srt --to hant
# Without its OpenCC module the conversion fails the same way, naming the module.
expect_failure none6.srt ZENTROPE_MODULE_DIR=nodata "$cli" chinese ums.srt -o none6.srt --to hant
grep -q 'zentrope-opencc.so.*No such file' err.txt || fail "module error: $(cat err.txt)"
expect_failure none3.srt "$cli" chinese ums.txt -o none3.srt --to hant
expect_failure none4.srt "$cli" chinese ums.srt -o none4.srt --to hant --from tw
expect_failure none5.srt "$cli" chinese ums.srt -o nofolder/none5.srt --to hans
[ -e nofolder ] && fail "a folder was created"

finish
