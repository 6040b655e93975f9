#!/usr/bin/env python3
"""Lists and plants the small faults that scripts/mutate.sh tries one at a time.

  mutate.py list FILE [FROM-TO ...]   one mutant a line: index, line, operator, change,
                                      and the source line with the one before it
  mutate.py apply FILE INDEX OUT      writes FILE with mutant INDEX planted to OUT
  mutate.py tests BUILD MAP           reads `ctest --show-only=json-v1` and prints each
                                      test's name, build target (or -), labels, seconds
  mutate.py coverage ROOT SOURCE OUT  reads the line counts each test left in
                                      ROOT/<test>/ and writes which tests run which lines
  mutate.py covering MAP FILE LINE    the tests that run LINE of FILE, cheapest first
  mutate.py report EQUIVALENT RESULTS...  the kill rate per folder from results files

The operators are a fixed list, found with regular expressions on the source with its
comments, strings and preprocessor lines blanked out, so no fault lands in them:
  boundary   <  <=  >  >=  swapped for their neighbour (< with <=, > with >=)
  equality   == with !=
  logic      && with ||
  literal    an integer literal one up and one down
  return     a `return` that is not the last statement of its function, removed
  negate     the condition of an `if` or `while`, negated
Comparison operators count only when written with a space on either side, which tells
them from template brackets and keeps uncompilable mutants rare.
"""
import glob
import hashlib
import json
import os
import re
import subprocess
import sys


def blank_out(text):
    """The text with comments, string and character literals and preprocessor lines
    replaced by spaces (newlines kept), so offsets and line numbers stay the same."""
    out = list(text)
    i, n = 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and text[i:].lstrip(" \t").startswith("#"):
            end = i
            while end < n and (text[end] != "\n" or text[end - 1] == "\\"):
                end += 1
            blank(i, end)
            i = end
            continue
        at_line_start = c == "\n"
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            blank(i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            blank(i, end)
            i = end
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            delim_end = text.find("(", i + 2)
            closing = ")" + text[i + 2:delim_end] + '"'
            end = text.find(closing, delim_end)
            end = n if end < 0 else end + len(closing)
            blank(i + 1, end)
            i = end
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # digit separator 1'000
                i += 1
                continue
            end = i + 1
            while end < n and text[end] != c:
                end += 2 if text[end] == "\\" else 1
            blank(i + 1, min(end, n))
            i = end + 1
        else:
            i += 1
    return "".join(out)


def matching_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


SWAPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
OPERATOR_OF = {"<": "boundary", "<=": "boundary", ">": "boundary", ">=": "boundary",
               "==": "equality", "!=": "equality", "&&": "logic", "||": "logic"}


def find_mutants(text):
    """Every mutant as (offset, length, replacement, operator)."""
    code = blank_out(text)
    mutants = []
    for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|&&|\|\||<|>)(?=\s)", code):
        op = m.group(1)
        mutants.append((m.start(), len(op), SWAPS[op], OPERATOR_OF[op]))
    for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", code):
        value = int(m.group(1))
        mutants.append((m.start(), len(m.group(1)), str(value + 1), "literal"))
        if value > 0:
            mutants.append((m.start(), len(m.group(1)), str(value - 1), "literal"))
    for m in re.finditer(r"\breturn\b[^;]*;", code):
        rest = code[m.end():]
        after = rest.lstrip()
        brace_at = len(rest) - len(after)
        # A return just before the function's closing brace (column 0) or a lambda's is
        # its last statement: removing it changes nothing or leaves no value.
        if after.startswith("}") and (rest[brace_at - 1:brace_at] == "\n" or re.match(r"\}\s*[),;]", after)):
            continue
        mutants.append((m.start(), m.end() - m.start(), "{}", "return"))
    for m in re.finditer(r"\b(if|while)\s*\(", code):
        open_at = m.end() - 1
        close_at = matching_paren(code, open_at)
        if close_at < 0:
            continue
        condition = text[open_at + 1:close_at]
        if re.match(r"\s*(const\s+)?auto\b|.*;", condition, re.S):  # if (init; cond) and declarations
            continue
        mutants.append((open_at + 1, close_at - open_at - 1, "!(" + condition + ")", "negate"))
    mutants.sort()
    return mutants


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def in_ranges(line, ranges):
    return not ranges or any(a <= line <= b for a, b in ranges)


def context(text, offset):
    """The mutant's line with the non-blank line before it, trimmed: the same fault in
    the same place keeps this name when lines above it are added or removed."""
    lines = text.splitlines()
    at = line_of(text, offset) - 1
    before = next((l.strip() for l in reversed(lines[:at]) if l.strip()), "")
    return f"{before} / {lines[at].strip()}"


def describe(text, mutant):
    offset, length, replacement, _ = mutant
    before = " ".join(text[offset:offset + length].split())
    after = " ".join(replacement.split())
    if len(before) > 60:
        before, after = before[:57] + "...", "!(...)" if after.startswith("!(") else after[:60]
    return f"{before} -> {after}"


def ctest_commands(build):
    """Each test's program, read from the CTest files, which name it before it is built."""
    commands = {}
    for folder, _, files in os.walk(build):
        if "CTestTestfile.cmake" in files:
            text = open(os.path.join(folder, "CTestTestfile.cmake"), encoding="utf-8").read()
            commands.update(re.findall(r'add_test\(\[=\[(.+?)\]=\] "([^"]+)"', text))
    return commands


def test_table(build, map_path, listing):
    """Name, build target ("-" for a test run by an outside program such as python3),
    labels and seconds in the coverage run (60 when not known) of every test."""
    try:
        costs = json.load(open(map_path, encoding="utf-8"))["costs"]
    except (OSError, ValueError, KeyError):
        costs = {}
    build = os.path.abspath(build) + "/"
    commands = ctest_commands(build)
    for test in listing.get("tests", []):
        command = commands.get(test["name"], "")
        target = command.rsplit("/", 1)[-1] if command.startswith(build) else "-"
        labels = next((p["value"] for p in test.get("properties", []) if p["name"] == "LABELS"), [])
        print(f"{test['name']}\t{target}\t{','.join(labels) or '-'}\t{costs.get(test['name'], 60.0):.1f}")


def file_hash(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


def coverage_map(root, source, out_path):
    """Which product lines each test ran. ROOT/<test>/ holds the counts its processes
    wrote (GCOV_PREFIX), ROOT/<test>.seconds how long it took; gcov needs each count
    file's notes file beside it, linked in from the build."""
    source = os.path.abspath(source) + "/"
    lines_of = {}
    costs = {}
    for test_root in sorted(glob.glob(os.path.join(root, "*/"))):
        test = os.path.basename(test_root.rstrip("/"))
        try:
            costs[test] = float(open(test_root.rstrip("/") + ".seconds").read())
        except (OSError, ValueError):
            costs[test] = 60.0
        counts = glob.glob(os.path.join(test_root, "**", "*.gcda"), recursive=True)
        for count in counts:
            notes = count[:-5] + ".gcno"
            original = "/" + os.path.relpath(notes, test_root)
            if not os.path.exists(notes) and os.path.exists(original):
                os.symlink(original, notes)
        for start in range(0, len(counts), 50):
            run = subprocess.run(["gcov", "--json-format", "--stdout", *counts[start:start + 50]],
                                 cwd=test_root, capture_output=True, text=True)
            for document in run.stdout.splitlines():
                if not document.startswith("{"):
                    continue
                data = json.loads(document)
                for entry in data.get("files", []):
                    path = os.path.normpath(os.path.join(data.get("current_working_directory", ""), entry["file"]))
                    if not path.startswith(source) or not path.endswith((".cpp", ".c")):
                        continue
                    relative = path[len(source):]
                    lines = lines_of.setdefault(relative, {})
                    for line in entry.get("lines", []):
                        ran = lines.setdefault(line["line_number"], set())
                        if line["count"] > 0:
                            ran.add(test)
    files = {f: {"hash": file_hash(source + f) if os.path.exists(source + f) else "",
                 "lines": {str(n): sorted(t) for n, t in sorted(lines.items())}}
             for f, lines in sorted(lines_of.items())}
    with open(out_path, "w", encoding="utf-8") as out:
        json.dump({"costs": costs, "files": files}, out)


def covering_tests(map_path, path, line):
    """The tests that run LINE, cheapest first, as "test<TAB>seconds" lines, or "none"
    when the line's code runs in no test. A line that has no count of its own (the
    second line of a long condition, a constant) takes the counts of the nearest
    counted lines around it within three lines; with none, or with a map made from
    another version of the file, "unknown" (the caller then runs the folder's tests)."""
    data = json.load(open(map_path, encoding="utf-8"))
    entry = data["files"].get(path)
    if entry is None or entry["hash"] != file_hash(path):
        return ["unknown"]
    lines = entry["lines"]
    tests = set(lines.get(str(line), []))
    if str(line) not in lines:
        above = next((str(n) for n in range(line - 1, line - 4, -1) if str(n) in lines), None)
        below = next((str(n) for n in range(line + 1, line + 4) if str(n) in lines), None)
        if above is None and below is None:
            return ["unknown"]
        tests = set(lines.get(above, [])) | set(lines.get(below, []))
    if not tests:
        return ["none"]
    costs = data["costs"]
    return [f"{t}\t{costs.get(t, 60.0):.1f}" for t in sorted(tests, key=lambda t: (costs.get(t, 60.0), t))]


def report(equivalent_path, result_paths):
    """Per folder: files, mutants that compiled, killed, set aside as equivalent, rate.
    A results file starts with "# SOURCE HASH sample N", then "STATUS\tLINE\tKEY" lines."""
    try:
        equivalent = {l.rstrip("\n") for l in open(equivalent_path, encoding="utf-8") if not l.startswith("#")}
    except FileNotFoundError:
        equivalent = set()
    folders = {}
    for path in result_paths:
        lines = open(path, encoding="utf-8").read().splitlines()
        row = folders.setdefault(lines[0].split()[1].split("/", 1)[0], [0, 0, 0, 0])
        row[0] += 1
        for status, _, key in (l.split("\t", 2) for l in lines[1:]):
            row[1] += status != "broken"
            row[2] += status == "killed"
            row[3] += status in ("survived", "unrun") and key in equivalent
    print(f"{'folder':<10} {'files':>5} {'run':>5} {'killed':>6} {'equiv.':>6} {'rate':>6}")
    for folder, (files, run, killed, set_aside) in sorted(folders.items()):
        rate = f"{100 * killed / (run - set_aside):.0f} %" if run > set_aside else "-"
        print(f"{folder:<10} {files:>5} {run:>5} {killed:>6} {set_aside:>6} {rate:>6}")


def main(argv):
    if len(argv) >= 2 and argv[0] == "list":
        text = open(argv[1], encoding="utf-8").read()
        ranges = [tuple(int(x) for x in r.split("-", 1)) for r in argv[2:]]
        for index, m in enumerate(find_mutants(text)):
            if in_ranges(line_of(text, m[0]), ranges):
                print(f"{index}\t{line_of(text, m[0])}\t{m[3]}\t{describe(text, m)}\t{context(text, m[0])}")
        return 0
    if len(argv) == 4 and argv[0] == "apply":
        text = open(argv[1], encoding="utf-8").read()
        offset, length, replacement, _ = find_mutants(text)[int(argv[2])]
        with open(argv[3], "w", encoding="utf-8") as out:
            out.write(text[:offset] + replacement + text[offset + length:])
        return 0
    if len(argv) == 3 and argv[0] == "tests":
        test_table(argv[1], argv[2], json.load(sys.stdin))
        return 0
    if len(argv) == 4 and argv[0] == "coverage":
        coverage_map(*argv[1:])
        return 0
    if len(argv) == 4 and argv[0] == "covering":
        print("\n".join(covering_tests(argv[1], argv[2], int(argv[3]))))
        return 0
    if len(argv) >= 2 and argv[0] == "report":
        report(argv[1], argv[2:])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
