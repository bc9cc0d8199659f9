#!/usr/bin/python3
# Checks that the install step still installs what the Wine test bed loads:
#   check-packages.py ARCH PROGRAM.exe
# Runs the program under that architecture's Wine (in the prefix that
# with-wine.sh made; exit 77, skipped, where this host does not run it), waits
# until it has drawn with OpenGL, and reads which shared libraries the process
# mapped. Each one's package must be one that scripts/install-deps.sh names,
# or one that those need (their Depends and Pre-Depends, followed through),
# since a fresh machine gets nothing else.
import os
import re
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
arch, program = sys.argv[1], sys.argv[2]
debian_arch = {"i686": "i386", "x86_64": "amd64"}[arch]

wine = subprocess.Popen([os.path.join(here, "wine-exec.sh"), arch, program], stdout=subprocess.PIPE, text=True)
mapped = set()
try:
    deadline = time.time() + 30
    while time.time() < deadline and wine.poll() is None:
        try:
            with open(f"/proc/{wine.pid}/maps") as f:
                mapped = {line.split()[-1] for line in f if ".so" in line}
        except OSError:
            pass
        if any("/dri/" in path for path in mapped):
            time.sleep(0.5)  # the rest of what drawing loads
            with open(f"/proc/{wine.pid}/maps") as f:
                mapped = {line.split()[-1] for line in f if ".so" in line}
            break
        time.sleep(0.2)
finally:
    if wine.poll() is None:
        wine.send_signal(signal.SIGKILL)
    said = wine.communicate()[0]
if wine.returncode == 77:
    print(said.strip())
    sys.exit(77)
if not any("/dri/" in path for path in mapped):
    print(f"the program under the {arch} Wine never loaded a Mesa driver; it mapped: {sorted(mapped)}")
    sys.exit(1)


def installed():
    """Every installed package as name:arch, with what it depends on."""
    fields = "${Package}\t${Architecture}\t${Multi-Arch}\t${Depends}, ${Pre-Depends}\t${db:Status-Abbrev}\n"
    out = subprocess.run(["dpkg-query", "-W", "-f", fields], capture_output=True, text=True).stdout
    packages = {}
    for line in out.splitlines():
        name, architecture, multi, depends, status = line.split("\t")
        # Installed, or unpacked where a host cannot run i386 package scripts.
        if status[1:2] in ("i", "U", "F"):
            packages[f"{name}:{architecture}"] = (multi, depends)
    return packages


packages = installed()


def resolve(name, wanted_arch):
    """The installed package that satisfies a dependency on `name`."""
    if ":" in name:
        name, qualifier = name.split(":", 1)
        if qualifier not in ("any", "native"):
            wanted_arch = qualifier
    for candidate in (f"{name}:{wanted_arch}", f"{name}:all"):
        if candidate in packages:
            return candidate
    for key, (multi, _) in packages.items():
        if key.split(":")[0] == name and multi == "foreign":
            return key
    return None


# GRI_PACKAGE_LIST: a file that stands for the install step's list, for the
# check's own test of what it must refuse.
if os.environ.get("GRI_PACKAGE_LIST"):
    with open(os.environ["GRI_PACKAGE_LIST"]) as f:
        listed = f.read().split()
else:
    listed = subprocess.run([os.path.join(here, "install-deps.sh"), "--list"], capture_output=True, text=True).stdout.split()
needed = set()
todo = []
for entry in listed:
    found = resolve(entry, entry.split(":")[1] if ":" in entry else "amd64")
    if found:
        todo.append(found)
while todo:
    package = todo.pop()
    if package in needed:
        continue
    needed.add(package)
    for dependency in packages[package][1].split(","):
        for alternative in dependency.split("|"):
            name = re.sub(r"\(.*?\)", "", alternative).strip()
            found = resolve(name, package.split(":")[1]) if name else None
            if found:
                todo.append(found)

paths = sorted(mapped)
# One query for every path, and its /lib twin where /usr/lib is merged.
variants = {v: path for path in paths for v in (path, re.sub(r"^/usr/lib/", "/lib/", path))}
found = subprocess.run(["dpkg", "-S", *variants], capture_output=True, text=True).stdout
owners = {}
for line in found.splitlines():
    names, _, where = line.rpartition(": ")  # "a:i386, b:i386: /path"
    if where in variants:
        owners[variants[where]] = names.split(", ")
status = 0
for path in paths:
    if path not in owners:
        print(f"{path}: owned by no package")
        status = 1
        continue
    owner = [o if ":" in o else f"{o}:{debian_arch}" for o in owners[path]]
    if not any(o in needed or o.replace(f":{debian_arch}", ":all") in needed for o in owner):
        print(f"{path}: from {', '.join(owner)}, which the install step does not install")
        status = 1
if status == 0:
    print(f"the {len(paths)} libraries that the {arch} Wine maps to draw come from {len(needed)} packages the install step installs")
sys.exit(status)
