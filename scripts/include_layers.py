#!/usr/bin/env python3
"""Checks that every project include follows the layer table, and reports include cycles.

    python3 scripts/include_layers.py [--root DIR] [--cycles] [--longest N]

Exits 1 and names file and line for every `#include "..."` that reaches a layer the
including file may not use. --cycles also lists the units (a header with its source
file) that take part in an include cycle outside tests/ and bench/, and exits 1 when
there are any. --longest N prints the N longest functions of the product code.
"""
import argparse
import os
import re
import sys

# Which layers each layer may include (itself always). Order matters in LAYER_OF:
# the first matching prefix decides.
LAYER_OF = [
    ("service/transport/", "transport"),
    ("output/", "output"),
    ("helpers/", "helpers"),
    ("platform/", "platform"),
    ("service/", "service"),
    ("capture/", "capture"),
    ("editor/", "editor"),
    ("banner/", "banner"),
    ("history/", "history"),
    ("app/", "app"),
    ("main.cpp", "app"),
    ("server/", "server"),
]
BELOW = {
    "platform": set(),
    "helpers": {"platform"},
    "service": {"platform", "helpers"},
    "output": {"platform", "helpers", "service"},
    "capture": {"platform", "helpers", "service", "output"},
    "editor": {"platform", "helpers", "service", "output"},
    "banner": {"platform", "helpers", "service", "output"},
    "history": {"platform", "helpers", "service", "output"},
    "app": {"platform", "helpers", "service", "output", "capture", "editor", "banner", "history"},
    "server": set(),
    "transport": set(),
}
# Declared sideways edges: the banner window reuses the editor's palette grid and tool
# bar, and vornik-server shares the wire protocol's constants with the client.
SIDEWAYS = {("banner", "editor/ColorPaletteGrid.h"), ("banner", "editor/SegmentedToolBar.h"),
            ("server", "service/Protocol.h"), ("transport", "service/HttpTransport.h")}
# Headers generated into the build tree or shared by every layer.
ANYWHERE = {"Version.h"}
SKIPPED_TOPS = ("tests/", "bench/", "build", "resources/", "scripts/", ".")
# "..." includes, and <...> includes that name a file of the project (a system header
# such as <QWidget> or <boost/asio.hpp> is not one).
INCLUDE = re.compile(r'^\s*#\s*include\s+(?:"([^"]+)"|<([^>]+)>)')


def layer_of(path):
    for prefix, layer in LAYER_OF:
        if path == prefix or path.startswith(prefix):
            return layer
    return None


def product_files(root):
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        rel_folder = "" if rel_folder == "." else rel_folder + "/"
        dirs[:] = [d for d in dirs if not (rel_folder + d + "/").startswith(SKIPPED_TOPS)]
        for name in files:
            if name.endswith((".cpp", ".h")):
                yield rel_folder + name


def includes_of(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            if match.group(1):
                yield number, match.group(1)
            elif os.path.isfile(os.path.join(root, match.group(2))):
                yield number, match.group(2)


def violations(root):
    found = []
    for path in sorted(product_files(root)):
        own = layer_of(path)
        if own is None:
            continue
        for number, target in includes_of(root, path):
            if target in ANYWHERE or "/" not in target:
                continue
            other = layer_of(target)
            if other is None or other == own or other in BELOW[own] or (own, target) in SIDEWAYS:
                continue
            found.append(f"{path}:{number}: {own}/ may not include \"{target}\" ({other}/ is not below it)")
    return found


def unit_of(path):
    return os.path.splitext(path)[0]


def unit_cycles(root):
    """Units in a strongly connected component of more than one unit (Tarjan)."""
    graph = {}
    files = set(product_files(root))
    for path in files:
        unit = unit_of(path)
        graph.setdefault(unit, set())
        for _, target in includes_of(root, path):
            if target in files and unit_of(target) != unit:
                graph[unit].add(unit_of(target))
    index, low, on_stack, stack, components = {}, {}, set(), [], []
    counter = [0]

    def visit(start):
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    components.append(sorted(component))

    for unit in sorted(graph):
        if unit not in index:
            visit(unit)
    return components


FUNCTION_START = re.compile(r"^[A-Za-z][\w:<>,&*\s~]*\([^;]*\)\s*(const)?\s*(override)?\s*$")


def longest_functions(root, count):
    """Function bodies that open with '{' alone on a line after a signature at column 0."""
    sizes = []
    for path in product_files(root):
        if not path.endswith(".cpp"):
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            lines = text.read().split("\n")
        for number, line in enumerate(lines):
            if line != "{" or number == 0:
                continue
            signature = lines[number - 1]
            if not FUNCTION_START.match(signature) and not signature.rstrip().endswith((")", "const")):
                continue
            end = next((n for n in range(number + 1, len(lines)) if lines[n] == "}"), None)
            if end is not None:
                sizes.append((end - number + 1, f"{path}:{number}", signature.strip()[:80]))
    for size, where, signature in sorted(sizes, reverse=True)[:count]:
        print(f"{size:4d} lines  {where}  {signature}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--cycles", action="store_true")
    parser.add_argument("--longest", type=int, default=0)
    options = parser.parse_args()
    root = os.path.abspath(options.root)
    failed = False
    for line in violations(root):
        print(line)
        failed = True
    if options.cycles:
        components = unit_cycles(root)
        members = sum(len(c) for c in components)
        print(f"units in include cycles: {members}")
        for component in components:
            print("  cycle: " + " -> ".join(component))
        failed = failed or members > 0
    if options.longest:
        longest_functions(root, options.longest)
    if not failed:
        print("includes follow the layers")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
