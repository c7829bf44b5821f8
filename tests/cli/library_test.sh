#!/usr/bin/env bash
# End-to-end checks of `zentrope-cli library`: index rebuild, stats, check, export with its
# overwrite refusal, merge and archive over a small library in a copy of the working folder.
# Usage: library_test.sh ZENTROPE_CLI DATA_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"

# A FeatureLine: 13 numbers summing to at most 13000; the first one tells the records apart.
features() {
  printf '%s,0,0,0,0,0,0,0,0,0,0,0,0\r\n' "$1"
}

lib="$work/lib"
cp -r "$data" "$lib"
printf 'a\r\nb\r\nc\r\n' > "$lib/word.wrd"
{ features 10; features 20; features 30; } > "$lib/word.sts"

"$cli" library rebuild-index --workdir "$lib" > out.txt 2>&1 || fail "rebuild-index exited $?"
grep -q '(3 records)' out.txt || fail "rebuild-index did not count 3 records: $(cat out.txt)"
"$cli" library stats --workdir "$lib" > out.txt 2>&1 || fail "stats exited $?"
grep -q '^records: 3$' out.txt || fail "stats: $(cat out.txt)"
grep -q '^distinct keys: 3$' out.txt || fail "stats keys: $(cat out.txt)"
"$cli" library check --workdir "$lib" > out.txt 2>&1 || fail "check of a sound library exited $?"

# Export records 2..3; a second export into the same files is refused without --overwrite.
out="$work/out"
mkdir "$out"
"$cli" library export --workdir "$lib" 2 3 "$out/share" > /dev/null 2>&1 || fail "export exited $?"
[ "$(cat "$out/share.wrd")" = $'b\r\nc\r' ] || fail "exported texts: $(od -c "$out/share.wrd")"
[ "$(wc -l < "$out/share.sts")" -eq 2 ] || fail "exported FeatureLines"
if "$cli" library export --workdir "$lib" 1 1 "$out/share.sts" > /dev/null 2>&1; then
  fail "export over existing files succeeded without --overwrite"
fi
[ "$(wc -l < "$out/share.wrd")" -eq 2 ] || fail "refused export changed the files"
"$cli" library export --workdir "$lib" 1 1 "$out/share.sts" --overwrite > /dev/null 2>&1 ||
  fail "export --overwrite exited $?"
[ "$(cat "$out/share.wrd")" = $'a\r' ] || fail "overwritten export: $(od -c "$out/share.wrd")"
# The own library files are never an export target.
if "$cli" library export --workdir "$lib" 1 1 "$lib/word" > /dev/null 2>&1; then
  fail "export onto the own library succeeded"
fi

# Merge another library: a known shape is dropped, a new one is added and leaves the other files.
printf 'known\r\nnew\r\n' > "$out/other.wrd"
{ features 20; features 40; } > "$out/other.sts"
"$cli" library merge --workdir "$lib" "$out/other.sts" > out.txt 2>&1 || fail "merge exited $?"
grep -q 'processed 2, added 1, left in the other library 0' out.txt || fail "merge: $(cat out.txt)"
[ "$(sed -n 4p "$lib/word.wrd")" = $'new\r' ] || fail "merged text not appended"
[ -s "$out/other.sts" ] && fail "merged records left in the other library"
"$cli" library archive --workdir "$lib" > out.txt 2>&1 || fail "archive exited $?"
grep -q 'the library holds 4 records' out.txt || fail "archive: $(cat out.txt)"
"$cli" library check --workdir "$lib" > /dev/null 2>&1 || fail "check after the merge exited $?"

# A merge naming the other library relative to the current folder, not to --workdir: the other
# files are emptied and no staged copy stays beside them.
mkdir -p "$work/elsewhere/ex"
printf 'rel\r\n' > "$work/elsewhere/ex/base.wrd"
features 50 > "$work/elsewhere/ex/base.sts"
(cd "$work/elsewhere" && "$cli" library merge ex/base --workdir "$lib") > out.txt 2>&1 ||
  fail "merge of a relative path exited $?"
grep -q 'added 1, left in the other library 0' out.txt || fail "relative merge: $(cat out.txt)"
[ -s "$work/elsewhere/ex/base.wrd" ] && fail "relative merge left the other library's records"
ls "$work/elsewhere/ex" | grep -q '\.new$' && fail "relative merge left $(ls "$work/elsewhere/ex")"
[ -e "$lib/library.commit" ] && fail "relative merge left its commit record"

# A damaged FeatureLine makes the check fail.
printf 'x\r\n' >> "$lib/word.wrd"
printf '99999,0\r\n' >> "$lib/word.sts"
if "$cli" library check --workdir "$lib" > /dev/null 2>&1; then
  fail "check passed a damaged FeatureLine"
fi

finish
