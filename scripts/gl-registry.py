#!/usr/bin/env python3
"""Every function of every OpenGL version, from the Khronos registry's gl.xml.

    gl-registry.py GL_XML RELEASE --table OUT.h
        the program's table: each function once, by name, with the version
        that brought it and the core profile's version that has it (none where
        the core profile removed it for good, or only the compatibility
        profile has it)
    gl-registry.py GL_XML RELEASE --double OUT.cpp SOURCE
        for the tests' stand-in opengl32.dll: an export for each function of
        1.0 and 1.1 that SOURCE does not define, and the names of the later
        ones, which its wglGetProcAddress answers

The table is front-coded to stay small: names sorted, without their "gl", each
entry the length it shares with the one before, the rest of its letters, and a
byte of 0x80 and more that ends it:
    bits 0-4  the version's place in the version list
    bits 5-6  0: in the core profile as in the compatibility one (from 3.2 on
                 where older); 1: never in the core profile; 2: in the core
                 profile from the version whose place the next byte holds
"""
import re
import sys
import xml.etree.ElementTree as ET

CORE_FROM = (3, 2)


def number(text):
    major, minor = text.split(".")
    return int(major), int(minor)


def read(path):
    """The versions in order, and each function's version and core version (None: never)."""
    root = ET.parse(path).getroot()
    features = sorted((number(f.get("number")), f) for f in root.findall("feature") if f.get("api") == "gl")
    versions = [v for v, _ in features]
    since = {}
    compat_only = set()
    core = set()       # the core profile's functions at the version reached
    core_since = {}
    for version, feature in features:
        for require in feature.findall("require"):
            profile = require.get("profile")
            for command in require.findall("command"):
                name = command.get("name")
                new = name not in since
                since.setdefault(name, version)
                if profile == "compatibility":
                    if new:
                        compat_only.add(name)
                else:
                    core.add(name)
                    compat_only.discard(name)
        for remove in feature.findall("remove"):
            if remove.get("profile") in (None, "core"):
                for command in remove.findall("command"):
                    core.discard(command.get("name"))
        if version >= CORE_FROM:
            for name in core:
                core_since.setdefault(name, version)
    functions = {}
    for name, version in since.items():
        functions[name] = (version, None if name in compat_only else core_since.get(name))
    return versions, functions


def table(versions, functions, release):
    place = {v: i for i, v in enumerate(versions)}
    if len(versions) > 32:
        sys.exit("gl-registry.py: more than 32 OpenGL versions do not fit the table's five bits")
    data = bytearray()
    previous = ""
    for name in sorted(functions):
        if not name.startswith("gl") or not re.fullmatch(r"[A-Za-z0-9_]+", name):
            sys.exit("gl-registry.py: a function name the table cannot hold: " + name)
        short = name[2:]
        shared = 0
        while shared < min(len(short), len(previous)) and short[shared] == previous[shared]:
            shared += 1
        version, core = functions[name]
        default_core = max(version, CORE_FROM)
        kind = 0 if core == default_core else 1 if core is None else 2
        data.append(shared)
        data += short[shared:].encode("ascii")
        data.append(0x80 | place[version] | kind << 5)
        if kind == 2:
            data.append(place[core])
        previous = short
    rows = [", ".join("0x%02x" % b for b in data[i:i + 16]) for i in range(0, len(data), 16)]
    release = release.replace("\\", "\\\\").replace('"', '\\"')
    return (
        "// Made by scripts/gl-registry.py from the Khronos registry's gl.xml: not to be edited.\n"
        "#pragma once\n"
        '#define GRI_GL_REGISTRY_RELEASE "%s"\n'
        "constexpr int kGlRegistryFunctionCount = %d;\n"
        "constexpr unsigned char kGlRegistryVersions[][2] = {%s};\n"
        "constexpr unsigned char kGlRegistryTable[] = {\n    %s};\n"
        % (release, len(functions), ", ".join("{%d, %d}" % v for v in versions), ",\n    ".join(rows)))


def double(functions, source):
    defined = set(re.findall(r"\b(gl\w+)\s*\(", open(source, encoding="utf-8").read()))
    early = sorted(n for n, (v, _) in functions.items() if v <= (1, 1) and n not in defined)
    later = sorted(n for n, (v, _) in functions.items() if v > (1, 1))
    out = ["// Made by scripts/gl-registry.py from the Khronos registry's gl.xml: not to be edited.",
           "// Exports that only have to be there: nothing calls them.",
           '#define EXPORT extern "C" __declspec(dllexport)']
    out += ["EXPORT void %s() {}" % n for n in early]
    out.append("extern const char* const kLaterFunctions[] = {")
    out += ['    "%s",' % n for n in later]
    out += ["    nullptr};", ""]
    return "\n".join(out)


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__)
    gl_xml, release, mode, out = argv[1:5]
    versions, functions = read(gl_xml)
    if mode == "--table":
        text = table(versions, functions, release)
    elif mode == "--double" and len(argv) == 6:
        text = double(functions, argv[5])
    else:
        sys.exit(__doc__)
    with open(out, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv)
