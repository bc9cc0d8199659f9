#!/usr/bin/env python3
"""The HTML report in a real browser: Debian's chromium, headless, with
JavaScript off, opens pages the program made under Wine.

    browser_test.py ARCH BIN_DIR SOURCE_DIR

- the page's text holds the summary; its screenshot shows the cube's red,
  green and blue where the page shows the frame;
- a renderer string and extension names that carry markup show as text: the
  DOM holds no element the report does not write;
- the JSON it carries validates against the schema, and --compare of the page
  against the JSON report made with it says "No change"; a page cut short
  exits 2.
Exit 77 (skipped) where Wine does not run ARCH here."""
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

ARCH, BIN, SRC = sys.argv[1:4]
WINE_EXEC = os.path.join(SRC, "scripts", "wine-exec.sh")
PROGRAM = os.path.join(BIN, "gl-renderer-info.exe")
HOSTILE_RENDERER = "<script>alert(1)</script> & \"quoted\" 'single'"
HOSTILE_EXTENSIONS = "GL_ARB_sync \"><img src=x onerror=alert(1)> GL_EXT_<b>bold</b>"
# What the page itself writes, and nothing else.
ALLOWED = {"html", "head", "meta", "title", "style", "body", "h1", "p", "table", "tbody", "tr", "th", "td", "ul", "li",
           "figure", "img", "figcaption", "details", "summary", "a", "pre", "script"}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def dos(path):
    return "Z:" + path.replace("/", "\\")


def run(*arguments, env=None):
    done = subprocess.run([WINE_EXEC, ARCH, PROGRAM, *arguments], capture_output=True, text=True,
                          env=dict(os.environ, **(env or {})), timeout=120)
    if done.returncode == 77:
        print(done.stdout.strip())
        sys.exit(77)
    return done


class Elements(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tags, self.events, self.text, self.scripts, self.images = [], [], [], [], 0

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        self.events += [name for name, _ in attrs if name.startswith("on")]
        if tag == "script":
            self.scripts.append(dict(attrs).get("type"))
        if tag == "img":
            self.images += 1

    def handle_data(self, data):
        self.text.append(data)


def chromium(profile, *arguments):
    return subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + profile,
                           *arguments], capture_output=True, text=True, timeout=120).stdout


def has_block(pixels, width, height, channel):
    """Whether a 6x6 block of pixels is lit in `channel` well above the other two."""
    def lit(x, y):
        p = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
        others = [p[c] for c in range(3) if c != channel]
        return p[channel] > 50 and p[channel] > 2 * max(others) + 30
    for y in range(0, height - 6, 3):
        for x in range(0, width - 6, 3):
            if lit(x, y) and all(lit(x + dx, y + dy) for dy in range(6) for dx in range(6)):
                return True
    return False


def main():
    work = tempfile.mkdtemp(prefix="gri-html-")
    profile = os.path.join(work, "profile")
    # JavaScript off for the profile: the page must need none, and markup
    # that slipped through could not hide by running.
    os.makedirs(os.path.join(profile, "Default"))
    with open(os.path.join(profile, "Default", "Preferences"), "w") as f:
        json.dump({"profile": {"default_content_setting_values": {"javascript": 2}}}, f)
    with open(os.path.join(work, "probe.html"), "w") as f:
        f.write('<p id="p">off</p><script>document.getElementById("p").textContent="on"</script>')
    check(">off<" in chromium(profile, "--dump-dom", "file://" + os.path.join(work, "probe.html")),
          "JavaScript is off in the browser")

    plain, data = os.path.join(work, "plain.html"), os.path.join(work, "plain.json")
    check(run("--html", dos(plain)).returncode == 0, "--html FILE exits 0")
    check(run("--json", dos(data)).returncode == 0, "--json FILE exits 0")
    double = {"WINEDLLOVERRIDES": "opengl32=n,b;mscoree,mshtml=", "GLDOUBLE_RENDERER": HOSTILE_RENDERER,
              "GLDOUBLE_EXTENSIONS": HOSTILE_EXTENSIONS}
    hostile = os.path.join(work, "hostile.html")
    check(run("--opengl32", dos(os.path.join(BIN, "double", "opengl32.dll")), "--html", dos(hostile), env=double).returncode == 0,
          "--html with the double exits 0")

    compared = run("--compare", dos(plain), dos(data))
    check(compared.returncode == 0 and "No change in anything the report compares." in compared.stdout,
          "the page against the JSON made with it: no change\n" + compared.stdout + compared.stderr)
    cut = os.path.join(work, "cut.html")
    with open(plain, "rb") as f, open(cut, "wb") as out:
        out.write(f.read()[:-200])
    check(run("--compare", dos(cut), dos(data)).returncode == 2, "a page cut short is a bad command line")

    for name in (plain, hostile):
        page = open(name, encoding="utf-8").read()
        carried = page[page.index('<script type="application/json" id="gl-renderer-info-report">'):]
        carried = carried[carried.index(">") + 1:carried.index("</script>")]
        report = json.loads(carried)
        with open(name + ".json", "w", encoding="utf-8") as f:
            f.write(carried)
        valid = subprocess.run([sys.executable, os.path.join(SRC, "scripts", "validate-json.py"),
                                os.path.join(SRC, "docs", "report.schema.json"), name + ".json"], capture_output=True, text=True)
        check(valid.returncode == 0, "the JSON in " + name + " validates\n" + valid.stdout + valid.stderr)

        dom = Elements()
        dom.feed(chromium(profile, "--dump-dom", "file://" + name))
        text = "".join(dom.text)
        check(report["summary"]["text"] in text, "the summary's words are in the page's text: " + name)
        check(set(dom.tags) <= ALLOWED and "body" in dom.tags, "only the page's own elements: " + str(sorted(set(dom.tags) - ALLOWED)))
        check(dom.events == [], "no event handler attributes: " + str(dom.events))
        check(dom.scripts == ["application/json"], "one script element, of data: " + str(dom.scripts))
        check(dom.images == 1, "one image, the frame: %d in %s" % (dom.images, name))

        shot = os.path.join(work, "shot.png")
        chromium(profile, "--window-size=1000,1800", "--screenshot=" + shot, "file://" + name)
        raw = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], capture_output=True).stdout
        size = subprocess.run(["identify", "-format", "%w %h", shot], capture_output=True, text=True).stdout.split()
        width, height = int(size[0]), int(size[1])
        for channel, colour in enumerate(("red", "green", "blue")):
            check(has_block(raw, width, height, channel), "the frame's %s in the screenshot of %s" % (colour, name))

    dom = Elements()
    dom.feed(chromium(profile, "--dump-dom", "file://" + hostile))
    text = "".join(dom.text)
    for shown in (HOSTILE_RENDERER, '"><img', "GL_EXT_<b>bold</b>"):
        check(shown in text, "shown as text: " + shown)
    if not failures:
        shutil.rmtree(work)
    print("%d failed" % len(failures) if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
