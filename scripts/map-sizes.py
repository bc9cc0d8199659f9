#!/usr/bin/env python3
"""What each object file and library member adds to a program, from the GNU
linker's map (-Wl,-Map=FILE): the largest first.
    map-sizes.py MAP [COUNT]"""
import collections
import os
import re
import sys

def contributors(path):
    sizes = collections.Counter()
    pending = None  # a section name alone on its line: the rest comes on the next
    with open(path, encoding="utf-8", errors="replace") as lines:
        in_map = False
        for line in lines:
            if line.startswith("Linker script and memory map"):
                in_map = True
                continue
            if not in_map or line.startswith("LOAD "):
                continue
            m = re.match(r"^ (\.\S+|COMMON)\s*$", line)
            if m:
                pending = m.group(1)
                continue
            m = re.match(r"^ (\.\S+|COMMON)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if m and (m.group(1) or pending):
                section, size, source = m.group(1) or pending, int(m.group(3), 16), m.group(4).strip()
                pending = None
                if source.startswith("linker stubs") or section in (".bss", "COMMON") or (section or "").startswith(".debug"):
                    continue
                member = re.match(r"^(.*?)\((.*)\)$", source)
                name = (os.path.basename(member.group(1)) + "(" + member.group(2) + ")") if member else os.path.basename(source)
                if "objects.a(" in name:
                    name = member.group(2)
                sizes[name] += size
            else:
                pending = None
    return sizes

def main():
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    sizes = contributors(sys.argv[1])
    for name, size in sizes.most_common(count):
        print(f"{size / 1024:8.1f} KiB  {name}")

if __name__ == "__main__":
    main()
