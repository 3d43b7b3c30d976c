#!/usr/bin/env python3
"""What fills an executable, from its GNU ld map file (-Wl,-Map=...).

Sums the input sections that went into each output section by library (the
archive, or the project's own objects) and lists the largest archive members.
Prints Markdown.  Usage: map-summary.py velmo.map [top-members]
"""
import collections
import os
import re
import sys

OUTPUT = re.compile(r"^(\.[\w$.]+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)")
INPUT_FULL = re.compile(r"^ (\.\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
INPUT_NAME = re.compile(r"^ (\.\S+)\s*$")
INPUT_REST = re.compile(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
MEMBER = re.compile(r"^(.*)\((.*)\)$")


def origin(path):
    """(library, member) for an input file of the link."""
    match = MEMBER.match(path)
    if match:
        return os.path.basename(match.group(1)), match.group(2)
    name = os.path.basename(path)
    if "CMakeFiles" in path:
        return "(the applet's own objects)", name
    return name, name


def read(path):
    by_section = collections.defaultdict(collections.Counter)
    members = collections.Counter()
    totals = collections.Counter()
    section = None
    pending = None
    in_map = False
    with open(path, errors="replace") as text:
        for line in text:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_map = True
                continue
            if not in_map:
                continue
            output = OUTPUT.match(line)
            if output:
                section = output.group(1)
                totals[section] += int(output.group(2), 16)
                continue
            full = INPUT_FULL.match(line)
            rest = INPUT_REST.match(line) if pending else None
            if full:
                size, source = int(full.group(2), 16), full.group(3)
            elif rest:
                size, source = int(rest.group(1), 16), rest.group(2)
            else:
                pending = INPUT_NAME.match(line)
                continue
            pending = None
            if section is None or size == 0 or source.startswith("*"):
                continue
            library, member = origin(source.strip())
            by_section[section][library] += size
            members[(library, member)] += size
    return totals, by_section, members


def main():
    path = sys.argv[1]
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    totals, by_section, members = read(path)
    sections = [s for s in (".text", ".eh_frame", ".rdata", ".data", ".rsrc") if totals[s]]
    libraries = collections.Counter()
    for section in sections:
        libraries.update(by_section[section])
    print("| library | " + " | ".join(sections) + " | sum |")
    print("|---|" + "---:|" * (len(sections) + 1))
    for library, size in libraries.most_common():
        cells = [str(by_section[s][library]) for s in sections]
        print(f"| {library} | " + " | ".join(cells) + f" | {size} |")
    print("| **output section total** | " +
          " | ".join(str(totals[s]) for s in sections) + " | |")
    print()
    print(f"Largest {top} members (all sections):")
    print()
    print("| member | library | bytes |")
    print("|---|---|---:|")
    for (library, member), size in members.most_common(top):
        print(f"| {member} | {library} | {size} |")


if __name__ == "__main__":
    main()
