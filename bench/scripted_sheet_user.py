#!/usr/bin/env python3
"""A scripted user over the teaching sheet (`zentrope-cli ocr --collect` and `teach`), beside the
one-by-one panel's scripted teacher (scripted_teacher.py) on a copy of the same library.

Usage: scripted_sheet_user.py ZENTROPE_CLI SUBTITLE WORKDIR [--page N] [--rounds N] [--reference]

WORKDIR holds the library to start from; it is copied twice (sheet and one-by-one runs), never
changed. The film's truth.txt (make_film) gives each row's text.

The sheet user, page by page (N tiles, least certain first): a tile whose best reading is the
truth costs nothing; one whose reading is wrong or missing costs a move and the typed character
(2 actions); a tile whose truth cannot be told (its row reads with another number of glyphs than
the truth: a box over two glyphs or half of one) costs a move and the key that sends it to the
one-by-one panel (2 actions) and is left for that panel; Enter confirms the page (1 action).
After each round the film is read again and what is still unknown comes back on a new sheet;
after the last round the one-by-one scripted teacher answers what is left, its accepts, typed
characters and expand presses counted as actions. Accuracy is the share of rows, and of
characters, that the last reading gives exactly as the truth.
"""
import json
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

PLACEHOLDER = "\u25a1"  # the skip mark of a collecting run ("□")


def arg(name, default):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


def truth_rows(subtitle):
    lines = (Path(subtitle).parent / "truth.txt").read_bytes().decode("gbk").splitlines()
    return [line.replace("\\N", "").replace(" ", "") for line in lines]


def read_rows(srt):
    path = Path(srt)
    if not path.exists():
        return []
    blocks = path.read_bytes().decode("gbk").replace("\r", "").split("\n\n")
    rows = []
    for block in blocks:
        lines = block.split("\n")
        if len(lines) >= 2 and "-->" in lines[1]:
            rows.append("".join(lines[2:]).replace(" ", "").replace("\\N", ""))
    return rows


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, encoding="utf-8",
                          errors="replace")
    summary = {}
    for entry in done.stderr.splitlines():
        if ": " in entry:
            key, value = entry.split(": ", 1)
            summary[key] = value
    return done.returncode, summary


def shape_truths(sheet, truth, read):
    """The truth of each shape by the votes of its occurrences in rows that read with as many
    glyphs as the truth has characters; None where no occurrence can tell."""
    by_row = {}
    for index, shape in enumerate(sheet["shapes"]):
        for occurrence in shape["occurrences"]:
            row, _, line, left = occurrence[0], occurrence[1], occurrence[2], occurrence[3]
            by_row.setdefault(row, []).append((line, left, index))
    votes = [dict() for _ in sheet["shapes"]]
    for row, places in by_row.items():
        if row - 1 >= len(truth) or row - 1 >= len(read):
            continue
        text, want = read[row - 1], truth[row - 1]
        marks = [j for j, ch in enumerate(text) if ch == PLACEHOLDER]
        if len(text) != len(want) or len(marks) != len(places):
            continue
        for j, (_, _, index) in zip(marks, sorted(places)):
            votes[index][want[j]] = votes[index].get(want[j], 0) + 1
    return [max(v, key=v.get) if v else None for v in votes]


def sheet_user(cli, subtitle, workdir, truth, page, rounds, reference):
    actions = tiles = fixes = panel_tiles = 0
    for round_number in range(rounds):
        sheet_file = Path(workdir) / ("sheet%d.json" % round_number)
        collected = Path(workdir) / "collected.srt"
        command = [cli, "ocr", subtitle, "--workdir", workdir, "--collect", str(sheet_file),
                   "-o", str(collected), "--unknown", "skip"]
        if reference:
            command += ["--reference", str(Path(subtitle).parent / "reference.srt")]
        run(command)
        sheet = json.loads(sheet_file.read_text(encoding="utf-8"))
        shapes = sheet["shapes"]
        if not shapes:
            break
        truths = shape_truths(sheet, truth, read_rows(collected))
        order = sorted(range(len(shapes)), key=lambda i: shapes[i]["candidates"][0]["confidence"]
                       if shapes[i]["candidates"] else -1)
        for start in range(0, len(order), page):
            actions += 1  # Enter confirms the page
            for index in order[start:start + page]:
                tiles += 1
                shape = shapes[index]
                best = shape["candidates"][0]["text"] if shape["candidates"] else ""
                if truths[index] is None:
                    actions += 2  # move, send to the one-by-one panel
                    panel_tiles += 1
                    continue
                if best != truths[index]:
                    actions += 2  # move, type
                    fixes += 1
                shape["text"] = truths[index]
        sheet_file.write_text(json.dumps(sheet, ensure_ascii=False), encoding="utf-8")
        run([cli, "teach", str(sheet_file), "--workdir", workdir])
    # What is left goes to the one-by-one panel.
    left = subprocess.run([sys.executable, str(Path(__file__).parent / "scripted_teacher.py"),
                           cli, subtitle, workdir] + (["--reference"] if reference else []),
                          capture_output=True, text=True)
    panel = parse_teacher(left.stdout)
    actions += panel["actions"]
    return {"actions": actions, "tiles": tiles, "fixes": fixes, "panel_tiles": panel_tiles,
            "panels_after": panel["panels"], "exact_rows": panel["exact_rows"],
            "output": panel["output"]}


def parse_teacher(output):
    values = {"panels": 0, "actions": 0, "exact_rows": 0, "output": output}
    for line in output.splitlines():
        words = line.replace(",", "").split()
        if line.startswith("panels:"):
            values["panels"] = int(words[1])
        elif line.startswith("expand presses:"):
            values["actions"] += int(words[2])
        elif line.startswith("typed answers:"):
            values["actions"] += int(words[2]) + int(words[-1])
        elif line.startswith("rows read exactly"):
            values["exact_rows"] = int(words[6])
    return values


def character_accuracy(truth, read):
    right = total = 0
    for i, want in enumerate(truth):
        got = read[i] if i < len(read) else ""
        total += len(want)
        right += sum(1 for a, b in zip(want, got) if a == b) if len(got) == len(want) else 0
    return 100.0 * right / max(total, 1)


def main():
    cli, subtitle, workdir = sys.argv[1:4]
    page = int(arg("--page", "40"))
    rounds = int(arg("--rounds", "3"))
    reference = "--reference" in sys.argv
    truth = truth_rows(subtitle)
    characters = sum(len(t) for t in truth)
    with tempfile.TemporaryDirectory() as scratch:
        sheet_dir = Path(scratch) / "sheet"
        single_dir = Path(scratch) / "single"
        shutil.copytree(workdir, sheet_dir)
        shutil.copytree(workdir, single_dir)
        sheet = sheet_user(cli, subtitle, str(sheet_dir), truth, page, rounds, reference)
        sheet_read = read_rows(sheet_dir / "scripted_teacher_out.srt")
        single = subprocess.run([sys.executable, str(Path(__file__).parent /
                                                     "scripted_teacher.py"),
                                 cli, subtitle, str(single_dir)] +
                                (["--reference"] if reference else []),
                                capture_output=True, text=True)
        panel = parse_teacher(single.stdout)
        single_read = read_rows(single_dir / "scripted_teacher_out.srt")
        if len(sys.argv) > 4 and "--keep" in sys.argv:
            keep = Path(arg("--keep", ""))
            shutil.copytree(sheet_dir, keep / "sheet", dirs_exist_ok=True)
            shutil.copytree(single_dir, keep / "single", dirs_exist_ok=True)
    print("characters: %d, rows: %d" % (characters, len(truth)))
    print("sheet: %d actions (%.2f per 100 characters): %d tiles, %d fixed, %d sent to the "
          "panel, %d panels after the sheets"
          % (sheet["actions"], 100.0 * sheet["actions"] / max(characters, 1), sheet["tiles"],
             sheet["fixes"], sheet["panel_tiles"], sheet["panels_after"]))
    print("sheet accuracy: rows %d of %d exact, characters %.2f %%"
          % (sheet["exact_rows"], len(truth), character_accuracy(truth, sheet_read)))
    print("one by one: %d actions (%.2f per 100 characters), %d panels (%.2f per 100 characters)"
          % (panel["actions"], 100.0 * panel["actions"] / max(characters, 1), panel["panels"],
             100.0 * panel["panels"] / max(characters, 1)))
    print("one-by-one accuracy: rows %d of %d exact, characters %.2f %%"
          % (panel["exact_rows"], len(truth), character_accuracy(truth, single_read)))


if __name__ == "__main__":
    main()
