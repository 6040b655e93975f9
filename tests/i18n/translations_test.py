#!/usr/bin/env python3
"""Every translation of the client is complete and fits its source text.

The .ts files are refreshed from the sources first (lupdate, on copies), so a text
that was added, changed or removed in the code without its translations shows up as
unfinished or vanished here. Then, for every message of each language: a translation
is present (for texts with %n, one per plural form of the language), it holds every
placeholder of its source, and it starts and ends with the same white space (some
texts are joined to others). The editor's tool-tip asset is JSON, which lupdate does
not read: each of its texts must be in the list that marks them for translation.
"""
import argparse
import json
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

TRANSLATED_FOLDERS = ["app", "capture", "editor", "banner", "history", "output", "service", "helpers",
                      "platform", "main.cpp"]
# Plural forms per language, in the order Qt's lrelease expects them.
PLURAL_FORMS = {"de": 2, "uk": 3}
PLACEHOLDER = re.compile(r"%(?:n|L?[1-9])")


def refreshed_copy(ts_file, source_dir, lupdate, work):
    copy = Path(work) / ts_file.name
    shutil.copy(ts_file, copy)
    sources = [str(source_dir / name) for name in TRANSLATED_FOLDERS]
    result = subprocess.run([lupdate, "-silent", "-locations", "none", "-I", str(source_dir), *sources,
                             "-ts", str(copy)], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"lupdate failed on {ts_file.name}: {result.stderr}")
    return copy


def message_problems(context, message, forms_wanted):
    source = message.findtext("source") or ""
    where = f"{context}: {source[:60]!r}"
    translation = message.find("translation")
    kind = translation.get("type")
    if kind in ("unfinished", "vanished", "obsolete"):
        return [f"{where} is {kind}"]
    if message.get("numerus") == "yes":
        texts = [form.text or "" for form in translation.findall("numerusform")]
        if len(texts) != forms_wanted:
            return [f"{where} has {len(texts)} plural forms, the language has {forms_wanted}"]
    else:
        texts = [translation.text or ""]
    problems = []
    wanted = set(PLACEHOLDER.findall(source))
    for text in texts:
        if not text.strip():
            problems.append(f"{where} has an empty translation")
            continue
        missing = wanted - set(PLACEHOLDER.findall(text))
        if missing:
            problems.append(f"{where} lacks {', '.join(sorted(missing))} in {text[:60]!r}")
        for side, strip in (("leading", str.lstrip), ("trailing", str.rstrip)):
            source_space = len(source) - len(strip(source))
            text_space = len(text) - len(strip(text))
            if (source_space == 0) != (text_space == 0):
                problems.append(f"{where}: {side} white space differs in {text!r}")
    return problems


def asset_problems(source_dir, ts_root):
    marked = {m.findtext("source") for c in ts_root.iter("context") if c.findtext("name") == "EditorToolTips"
              for m in c.iter("message")}
    asset = json.loads((source_dir / "resources" / "tooltips.json").read_text(encoding="utf-8"))
    # An entry naming a help page (a path) is a link, not a text.
    texts = [text for text in asset.values() if "/" not in text]
    return [f"tooltips.json: {text!r} is not marked for translation (editor/ToolTipTable.cpp)"
            for text in texts if text not in marked]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True, type=Path)
    parser.add_argument("--lupdate", required=True)
    args = parser.parse_args()
    problems = []
    with tempfile.TemporaryDirectory() as work:
        for language, forms in PLURAL_FORMS.items():
            ts_file = args.source_dir / "i18n" / f"vornik_{language}.ts"
            if not ts_file.exists():
                problems.append(f"{ts_file} is missing")
                continue
            root = ET.parse(refreshed_copy(ts_file, args.source_dir, args.lupdate, work)).getroot()
            count = 0
            for context in root.iter("context"):
                for message in context.iter("message"):
                    count += 1
                    problems += [f"{language}: {p}" for p in message_problems(context.findtext("name"), message, forms)]
            problems += [f"{language}: {p}" for p in asset_problems(args.source_dir, root)]
            print(f"{language}: {count} messages checked")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
