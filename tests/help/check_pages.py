#!/usr/bin/env python3
"""Checks the help pages: plain HTML and CSS (no script, nothing from outside),
every page reached from the contents page, every link, anchor and image found
(our own walk and linkchecker), and every page rendered by headless Chromium.

    check_pages.py HELP_DIR SCREENSHOT_DIR
"""
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links, self.ids, self.tags = [], set(), []
        self.title = ""
        self._in_title = False

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        a = dict(attrs)
        if tag == "title":
            self._in_title = True
        if "id" in a:
            self.ids.add(a["id"])
        for name, value in attrs:
            if name.startswith("on"):
                self.links.append(("script", name))
            if name in ("href", "src") and value is not None:
                self.links.append((tag, value))

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


def outside(url):
    parsed = urllib.parse.urlparse(url)
    return bool(parsed.scheme or parsed.netloc or url.startswith("//"))


def check_sources(help_dir):
    pages = {}
    for root, _, files in os.walk(help_dir):
        for f in files:
            path = os.path.join(root, f)
            rel = os.path.relpath(path, help_dir)
            if f.endswith(".css"):
                css = open(path, encoding="utf-8").read()
                for url in re.findall(r"url\(([^)]*)\)", css) + re.findall(r"@import\s+['\"]([^'\"]+)", css):
                    if outside(url.strip("'\" ")):
                        fail(f"{rel}: outside resource {url}")
            if not f.endswith(".html"):
                continue
            p = Page()
            p.feed(open(path, encoding="utf-8").read())
            pages[rel] = p
            if "script" in p.tags:
                fail(f"{rel}: has a <script>")
            if not p.title.strip():
                fail(f"{rel}: no title")
            if p.tags.count("h1") != 1:
                fail(f"{rel}: {p.tags.count('h1')} h1 headings")
            for tag, url in p.links:
                if tag == "script":
                    fail(f"{rel}: event handler attribute {url}")
                elif outside(url):
                    fail(f"{rel}: outside resource {url}")
    # Links, anchors and images, and that every page can be reached from the contents.
    reached, todo = set(), ["index.html"]
    while todo:
        rel = todo.pop()
        if rel in reached or rel not in pages:
            continue
        reached.add(rel)
        for tag, url in pages[rel].links:
            if tag == "script":
                continue
            target, _, anchor = url.partition("#")
            target_rel = os.path.normpath(os.path.join(os.path.dirname(rel), target)) if target else rel
            if not os.path.exists(os.path.join(help_dir, target_rel)):
                fail(f"{rel}: {url} not found")
                continue
            if anchor and target_rel in pages and anchor not in pages[target_rel].ids:
                fail(f"{rel}: anchor {url} not found")
            if target_rel.endswith(".html"):
                todo.append(target_rel)
    for rel in sorted(set(pages) - reached):
        fail(f"{rel}: not reached from index.html")
    return sorted(pages)


def run_linkchecker(help_dir):
    exe = shutil.which("linkchecker")
    if not exe:
        fail("linkchecker is not installed (tools/setup.sh installs it)")
        return
    # Run as root, linkchecker drops to the user nobody, who cannot read pages in
    # a private folder (a checkout in a mktemp directory): it then checks a
    # world-readable copy.
    with tempfile.TemporaryDirectory() as scratch:
        if os.geteuid() == 0:
            os.chmod(scratch, 0o755)
            copy = os.path.join(scratch, "help")
            shutil.copytree(help_dir, copy)
            for root, dirs, files in os.walk(copy):
                for name in dirs:
                    os.chmod(os.path.join(root, name), 0o755)
                for name in files:
                    os.chmod(os.path.join(root, name), 0o644)
            help_dir = copy
        index = "file://" + os.path.abspath(os.path.join(help_dir, "index.html"))
        result = subprocess.run([exe, "--no-status", "--no-warnings", "--recursion-level=10", index],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=600)
    print(result.stdout.strip().splitlines()[-1] if result.stdout.strip() else "linkchecker: no output")
    if result.returncode != 0:
        print(result.stdout)
        fail("linkchecker found broken links")


def render(help_dir, pages, shots):
    exe = shutil.which("chromium") or "/usr/bin/chromium"
    if not os.path.exists(exe):
        fail("chromium is not installed (tools/setup.sh installs it)")
        return
    os.makedirs(shots, exist_ok=True)
    for rel in pages:
        out = os.path.join(shots, rel.replace(os.sep, "_").replace(".html", ".png"))
        if os.path.exists(out):
            os.remove(out)
        with tempfile.TemporaryDirectory() as profile:
            cmd = [exe, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--disable-dev-shm-usage", "--hide-scrollbars", f"--user-data-dir={profile}",
                   "--window-size=1000,1500", f"--screenshot={out}",
                   "file://" + os.path.abspath(os.path.join(help_dir, rel))]
            try:
                subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
            except subprocess.TimeoutExpired:
                fail(f"{rel}: chromium did not finish")
                continue
        if not os.path.exists(out) or os.path.getsize(out) < 5000:
            fail(f"{rel}: chromium rendered no picture")
    print(f"rendered {len(pages)} pages to {shots}")


def main():
    help_dir, shots = sys.argv[1], sys.argv[2]
    if not os.path.exists(os.path.join(help_dir, "index.html")):
        fail(f"{help_dir}/index.html is missing")
    else:
        pages = check_sources(help_dir)
        run_linkchecker(help_dir)
        render(help_dir, pages, shots)
    print(f"help pages: {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
