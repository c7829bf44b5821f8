#!/usr/bin/python3
"""Compares zentrope-cli's reading of every SRT file of the corpora with Debian's python3-srt, and
of every SSA and ASS file with a careful reading by the column names of the Format line.

Usage: srt_compare.py ZENTROPE_CLI WORK_FOLDER CORPUS_FOLDER...

Each file is converted by `zentrope-cli convert FILE OUT.srt --encoding utf-8`; OUT is parsed by
python3-srt and compared, entry by entry (start, end, text lines), with python3-srt's own
parse of FILE decoded as the file's byte-order mark, UTF-8, GB18030 or Big5 say (the first that
reads it whole). Entries without text are left out on both sides (Zentrope does not write
them); characters GBK cannot hold become '?' on python3-srt's side, as Zentrope still holds GBK
text. Files python3-srt cannot read are skipped; files listed in KNOWN must differ, with the
reason given (the corpus README lists them). Exit status 1 names every other difference.
"""

import datetime
import os
import subprocess
import sys

import srt

# File -> the reason Zentrope's reading differs from python3-srt's.
KNOWN = {
    "ums-chinese-big5-crlf.srt":
        "number lines with a space before the digits (' 0'): python3-srt takes them as text of "
        "the entry before, Zentrope as the next entry's number",
}

# A few of the commonest characters of Chinese text, to choose between GB18030 and Big5.
COMMON = set("的一是不了我人在有他這这們们個个來来說说為为會会時时對对學学國国到你我們")


def decode(raw):
    for mark, codec in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"),
                        (b"\xfe\xff", "utf-16-be")):
        if raw.startswith(mark):
            return raw[len(mark):].decode(codec, errors="replace")
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        pass
    readings = []
    for codec in ("gb18030", "big5"):
        try:
            text = raw.decode(codec)
            readings.append((sum(c in COMMON for c in text), text))
        except UnicodeDecodeError:
            pass
    if readings:
        return max(readings, key=lambda reading: reading[0])[1]
    try:
        return raw.decode("cp1252")
    except UnicodeDecodeError:
        return None


def entries(subtitles, gbk_only):
    result = []
    for subtitle in subtitles:
        text = subtitle.content.strip("\r\n")
        if not text.strip():
            continue
        if gbk_only:
            text = text.encode("gbk", errors="replace").decode("gbk")
        lines = tuple(line.rstrip("\r") for line in text.split("\n"))
        result.append((subtitle.start, subtitle.end, lines))
    return result


def ass_time(field):
    """h:mm:ss.cc (any digits, a decimal fraction); negative times count as zero."""
    field = field.strip()
    negative = field.startswith("-")
    hours, minutes, seconds = field.lstrip("-").split(":")
    value = datetime.timedelta(hours=int(hours), minutes=int(minutes),
                               seconds=float(seconds.replace(",", ".")))
    return datetime.timedelta(0) if negative else value


def ass_entries(text):
    """Dialogue lines of the [Events] section, placed by that section's Format line."""
    result, names, events = [], None, False
    for line in text.splitlines():
        stripped = line.strip()
        if stripped.startswith("["):
            events = stripped.lower() == "[events]"
            continue
        if not events:
            continue
        if stripped.startswith("Format:"):
            names = [name.strip().lower() for name in stripped[7:].split(",")]
        elif stripped.startswith("Dialogue:") and names:
            fields = stripped[9:].lstrip().split(",", len(names) - 1)
            row = dict(zip(names, fields))
            body = row.get("text", "")
            if not body.strip():
                continue
            body = body.encode("gbk", errors="replace").decode("gbk")
            result.append((ass_time(row["start"]), ass_time(row["end"]),
                           tuple(body.split("\\N"))))
    return result


def main():
    cli, work = sys.argv[1], sys.argv[2]
    failures, compared, skipped, known = [], 0, 0, 0
    for folder in sys.argv[3:]:
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.lower().endswith((".srt", ".ass", ".ssa")):
                continue
            path = os.path.join(folder, name)
            text = decode(open(path, "rb").read())
            try:
                if text is None:
                    theirs = None
                elif name.lower().endswith(".srt"):
                    theirs = entries(srt.parse(text), True)
                else:
                    theirs = ass_entries(text)
            except (srt.SRTParseError, ValueError, KeyError):
                theirs = None
            if theirs is None:
                skipped += 1
                continue
            out = os.path.join(work, "out.srt")
            if os.path.exists(out):
                os.remove(out)
            subprocess.run([cli, "convert", path, out, "--encoding", "utf-8", "--allow-lossy"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            ours = []
            if os.path.exists(out):
                ours = entries(srt.parse(open(out, encoding="utf-8").read()), False)
            same = ours == theirs
            if name in KNOWN:
                known += 1
                if same:
                    failures.append(f"{name}: listed as differing ({KNOWN[name]}) but reads the same")
                continue
            compared += 1
            if not same:
                first = next((i for i, (a, b) in enumerate(zip(ours, theirs)) if a != b),
                             min(len(ours), len(theirs)))
                failures.append(f"{name}: {len(ours)} entries against {len(theirs)}; "
                                f"first difference at entry {first + 1}: "
                                f"{ours[first] if first < len(ours) else None} / "
                                f"{theirs[first] if first < len(theirs) else None}")
    print(f"{compared} files read as the other reader reads them, {known} listed, "
          f"{skipped} skipped")
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    return 1 if failures or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
