"""The demo's help pages, as the help window shows them from a seeded profile:
every topic of the help window's tree has its anchor, every link and picture
resolves, and every control of the main window's toolbar is explained."""
import html
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = sys.argv[1]
# The help window's fixed topic tree, as anchors (ConvertNameToTag).
TOPICS = ["main", "selecting_country", "how_it_works", "making_png_forms", "compiling_the_form", "printing_forms"]
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


class Page(html.parser.HTMLParser):
    def __init__(self, path):
        super().__init__()
        self.anchors, self.links, self.images, self.bold = set(), [], [], []
        self._in_bold = False
        with open(path, encoding="utf-8") as f:
            self.feed(f.read())

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a" and "name" in a:
            self.anchors.add(a["name"])
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag == "img":
            self.images.append(a.get("src", ""))
        if tag == "b":
            self._in_bold = True
            self.bold.append("")

    def handle_endtag(self, tag):
        if tag == "b":
            self._in_bold = False

    def handle_data(self, data):
        if self._in_bold:
            self.bold[-1] += data


def toolbar_captions():
    with open(os.path.join(ROOT, "src", "editor", "MainFormU.cpp"), encoding="utf-8") as f:
        source = f.read()
    found = re.findall(r'(?:TextButton|LabelPanel)\(\s*ToolBar1,\s*"\w+",\s*N_\("([^"]*)"\)', source)
    return [html.unescape(c).replace("&", "") for c in found]


home = tempfile.mkdtemp(prefix="kfd-help-")
try:
    subprocess.run(["bash", os.path.join(ROOT, "scripts", "seed-profile.sh"), home], check=True)
    folder = os.path.join(home, "Documents", "Kestrova", "Forms", "Help")
    pages = {name: Page(os.path.join(folder, name)) for name in os.listdir(folder) if name.endswith(".html")}
    check({"forms-help.html", "kestrova-help.html"} <= set(pages), "both help pages are seeded: " + ", ".join(pages))
    manual = pages.get("forms-help.html")
    if manual:
        for topic in TOPICS:
            check(topic in manual.anchors, "the manual has the topic " + topic)
        captions = toolbar_captions()
        check(len(captions) > 5, "the toolbar's captions are read from the sources: " + ", ".join(captions))
        for caption in captions:
            check(caption in manual.bold, f"the manual explains the toolbar's {caption!r}")
        check(len(manual.images) > 0, "the manual shows screenshots")
    for name, page in pages.items():
        for link in page.links:
            target, _, anchor = link.partition("#")
            target = target or name
            check(target in pages and (not anchor or anchor in pages[target].anchors),
                  f"{name}: the link {link} leads somewhere")
        for src in page.images:
            path = os.path.join(folder, src)
            with open(path, "rb") if os.path.isfile(path) else open(os.devnull, "rb") as f:
                head = f.read(24)
            ok = head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24])[0] > 200
            check(ok, f"{name}: the picture {src} is there")
finally:
    shutil.rmtree(home, ignore_errors=True)
sys.exit(1 if failures else 0)
