#!/usr/bin/env python3
"""A scripted teacher over `zentrope-cli ocr --teach-stdio`: answers every question from the
film's truth.txt as a careful user would, and prints panels per 100 characters and typed answers
per panel.

Usage: scripted_teacher.py ZENTROPE_CLI SUBTITLE WORKDIR [--no-suggestions] [--reference]

With --reference the film's true text (reference.srt beside the subtitle, as make_film writes it)
is the reference subtitle: glyphs it reads for certain are taught without a panel.

The truth gives each entry's text; the next character expected is the one after those the picture
has given so far. A box clearly narrower than a glyph is expanded first (as a user who sees half a
character does); a suggestion equal to the expected character is accepted; otherwise the
character is typed.
"""
import json
import subprocess
import sys
from pathlib import Path


def truth_rows(subtitle):
    lines = (Path(subtitle).parent / "truth.txt").read_bytes().decode("gbk").splitlines()
    return [line.replace("\\N", "").replace(" ", "") for line in lines]


def read_rows(srt):
    """The texts of a written SRT file, line breaks and spaces left out, one per entry."""
    path = Path(srt)
    if not path.exists():
        return []
    blocks = path.read_bytes().decode("gbk").replace("\r", "").split("\n\n")
    rows = []
    for block in blocks:
        lines = block.split("\n")
        if len(lines) >= 2 and "-->" in lines[1]:
            rows.append("".join(lines[2:]).replace(" ", ""))
    return rows


def is_wide(ch):
    return ord(ch) > 0x2000


def main():
    cli, subtitle, workdir = sys.argv[1:4]
    use_suggestions = "--no-suggestions" not in sys.argv
    truth = truth_rows(subtitle)
    output = str(Path(workdir) / "scripted_teacher_out.srt")
    command = [cli, "ocr", subtitle, "--teach-stdio", "--workdir", workdir, "-o", output]
    if "--reference" in sys.argv:
        command += ["--reference", str(Path(subtitle).parent / "reference.srt")]
    process = subprocess.Popen(command,
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True, encoding="utf-8")
    states = expands = typed = accepted = typed_chars = 0
    for line in process.stdout:
        question = json.loads(line)
        states += 1
        row_truth = truth[question["row"] - 1] if question["row"] - 1 < len(truth) else ""
        so_far = question["text"].replace("\\N", "").replace(" ", "")
        expected = row_truth[len(so_far)] if len(so_far) < len(row_truth) else None
        box = question["box"]
        segments = question["segments"]
        current = question["current"]
        sg = question["glyph_width"]
        if expected is None:
            answer = "skip"
        elif (is_wide(expected) and box["width"] * 4 < sg * 3 and current + 1 < len(segments)
              and (segments[current + 1][1] - box["left"]) * 10 <= sg * 13):
            answer = "expand"
            expands += 1
        else:
            texts = [s["text"] for s in question["suggestions"]] if use_suggestions else []
            if expected in texts:
                answer = "accept %d" % (texts.index(expected) + 1)
                accepted += 1
            else:
                answer = "save " + expected
                typed += 1
                typed_chars += 1
        process.stdin.write(answer + "\n")
        process.stdin.flush()
    process.stdin.close()
    errors = process.stderr.read()
    process.wait()
    summary = {}
    for entry in errors.splitlines():
        if ": " in entry:
            key, value = entry.split(": ", 1)
            summary[key] = value
    characters = sum(len(t) for t in truth)
    # A panel is a glyph asked about; "questions asked" also counts a glyph asked again.
    panels = int(summary.get("glyphs asked about", summary.get("questions asked", "0")))
    print("characters: %d" % characters)
    print("panels: %d (%.2f per 100 characters)" % (panels, 100.0 * panels / max(characters, 1)))
    print("expand presses: %d" % expands)
    print("typed answers: %d (%.2f per panel), accepted suggestions: %d"
          % (typed, typed / max(panels, 1), accepted))
    print("glyphs matched: %s, automatic teachings: %s"
          % (summary.get("glyphs matched"), summary.get("automatic teachings")))
    listed = [entry for entry in errors.splitlines()
              if entry.startswith("taught from the reference: ")]
    print("automatic teachings listed: %d" % len(listed))
    read = read_rows(output)
    exact = sum(1 for i, row in enumerate(truth) if i < len(read) and read[i] == row)
    print("rows read exactly as the truth: %d of %d" % (exact, len(truth)))


if __name__ == "__main__":
    main()
