#!/usr/bin/env python3
"""Builds data/language.sys (GBK, CR LF) from the editable UTF-8 table data/language.tsv.

The table holds one message per line: number, Simplified Chinese, Traditional Chinese, English,
separated by tabs; blank lines and lines starting with '#' are notes. Message N fills group
k = (N + 1) / 3 of the output, lines 3k, 3k + 1 and 3k + 2. Every group from message -1 up to
HIGHEST_MESSAGE must be present; above it the messages come in blocks by feature, and the groups
between blocks are written as empty lines. Texts are written exactly as they stand.

The script fails loudly, naming the table line, on a malformed line, a duplicate or missing
number, an empty text, a character that GBK cannot encode, or a punctuation message of the wrong
byte length. With --check it writes nothing and fails when the output file is not up to date.
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LANGUAGES = ("zh-Hans", "zh-Hant", "en")
# The highest message number the program uses: the file holds at least groups 0 to 257.
HIGHEST_MESSAGE = 770
# Punctuation the check rules splice into GBK texts: one two-byte character each, and an ending of
# exactly six bytes.
TWO_BYTE_MESSAGES = (569, 572, 575, 578)
SIX_BYTE_MESSAGES = (581,)


class TableError(Exception):
    pass


def parse_table(path):
    """Returns {number: (line_number, [three GBK byte strings])}."""
    messages = {}
    with open(path, encoding="utf-8", newline="") as table:
        for line_number, raw in enumerate(table, start=1):
            line = raw.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            where = f"{path}:{line_number}"
            fields = line.split("\t")
            if len(fields) != 4:
                raise TableError(f"{where}: expected 4 tab-separated fields, found {len(fields)}")
            try:
                number = int(fields[0])
            except ValueError:
                raise TableError(f"{where}: message number {fields[0]!r} is not a number")
            if number < -1 or (number + 1) % 3 != 0:
                raise TableError(f"{where}: {number} is not a message number (-1, 2, 5, 8, ...)")
            if number in messages:
                first = messages[number][0]
                raise TableError(f"{where}: message {number} already given on line {first}")
            encoded = []
            for language, text in zip(LANGUAGES, fields[1:]):
                if not text:
                    raise TableError(f"{where}: message {number} has an empty {language} text")
                try:
                    encoded.append(text.encode("gbk", errors="strict"))
                except UnicodeEncodeError as error:
                    bad = text[error.start:error.end]
                    raise TableError(
                        f"{where}: {language} text of message {number} holds {bad!r} "
                        f"(U+{ord(bad[0]):04X}), which GBK cannot encode")
            messages[number] = (line_number, encoded)
    return messages


def check_fixed_lengths(messages):
    for number in TWO_BYTE_MESSAGES + SIX_BYTE_MESSAGES:
        if number not in messages:
            continue
        line_number, texts = messages[number]
        size = 2 if number in TWO_BYTE_MESSAGES else 6
        for language, text in zip(LANGUAGES, texts):
            if len(text) != size or text[0] < 0x80:
                raise TableError(
                    f"line {line_number}: {language} text of message {number} must be "
                    f"{size} bytes of GBK characters, not {len(text)}")


def build(messages):
    highest = max(messages)
    if highest < HIGHEST_MESSAGE:
        raise TableError(f"the table ends at message {highest}; it must reach {HIGHEST_MESSAGE}")
    missing = [n for n in range(-1, HIGHEST_MESSAGE + 1, 3) if n not in messages]
    if missing:
        raise TableError(f"messages missing from the table: {missing}")
    lines = []
    for number in range(-1, highest + 1, 3):
        lines.extend(messages[number][1] if number in messages else [b"", b"", b""])
    return b"".join(line + b"\r\n" for line in lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", type=pathlib.Path, default=ROOT / "data" / "language.tsv")
    parser.add_argument("--output", type=pathlib.Path, default=ROOT / "data" / "language.sys")
    parser.add_argument("--check", action="store_true",
                        help="write nothing; fail when the output differs from the table")
    args = parser.parse_args()
    try:
        messages = parse_table(args.table)
        check_fixed_lengths(messages)
        data = build(messages)
    except (TableError, OSError) as error:
        print(f"make-language-sys: {error}", file=sys.stderr)
        return 1
    if args.check:
        current = args.output.read_bytes() if args.output.exists() else None
        if current != data:
            print(f"make-language-sys: {args.output} is out of date; run "
                  f"scripts/make-language-sys.py", file=sys.stderr)
            return 1
        return 0
    args.output.write_bytes(data)
    line_count = data.count(b"\r\n")
    print(f"wrote {args.output} ({line_count} lines)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
