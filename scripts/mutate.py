#!/usr/bin/env python3
"""Lists and plants the small faults that scripts/mutate.sh tries one at a time.

  mutate.py list FILE [FROM-TO ...]   one mutant a line: index, line, operator, change,
                                      and the source line with the one before it
  mutate.py apply FILE INDEX OUT      writes FILE with mutant INDEX planted to OUT
  mutate.py targets BUILD             reads `ctest --show-only=json-v1` and prints the
                                      build targets of its tests (the programs in BUILD)
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
import json
import os
import re
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


def test_targets(build, listing):
    """The executables the listed tests run, by target name: a test's name need not be
    its program's (server_protocol_test_postgresql runs server_protocol_test), and
    tests run by an outside program (python3) have nothing to build. The commands are
    read from the CTest files, which name them before they are built."""
    build = os.path.abspath(build) + "/"
    commands = {}
    for folder, _, files in os.walk(build):
        if "CTestTestfile.cmake" in files:
            text = open(os.path.join(folder, "CTestTestfile.cmake"), encoding="utf-8").read()
            commands.update(re.findall(r'add_test\(\[=\[(.+?)\]=\] "([^"]+)"', text))
    names = {commands.get(t["name"], "") for t in listing.get("tests", [])}
    return sorted({n.rsplit("/", 1)[-1] for n in names if n.startswith(build)})


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
            row[3] += status == "survived" and key in equivalent
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
    if len(argv) == 2 and argv[0] == "targets":
        print("\n".join(test_targets(argv[1], json.load(sys.stdin))))
        return 0
    if len(argv) >= 2 and argv[0] == "report":
        report(argv[1], argv[2:])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
