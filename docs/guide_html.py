#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""docs/guide_html.py GUIDE.md OUT.html

Turns the user guide into one self-contained HTML page that the monitor's
Help menu opens. Fails on a picture that is not there or a link to a section
that does not exist, so a renamed heading never leaves a dead link behind.
"""
import html
import os
import re
import sys

import markdown

STYLE = """
body { font-family: sans-serif; line-height: 1.5; max-width: 52em;
       margin: 0 auto; padding: 1em 2em; color: #222; background: #fff; }
h1, h2, h3 { line-height: 1.2; }
h2 { border-bottom: 1px solid #ccc; padding-bottom: 0.2em; margin-top: 2em; }
code { font-family: monospace; background: #f2f2f2; padding: 0 0.2em; }
pre { background: #f2f2f2; padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #ccc; padding: 0.3em 0.6em; text-align: left;
         vertical-align: top; }
th { background: #eee; }
img { max-width: 100%; height: auto; border: 1px solid #ddd; }
"""


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[0])
    source, out = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    title_match = re.search(r"^# (.+)$", text, re.MULTILINE)
    title = title_match.group(1).strip() if title_match else "User guide"
    body = markdown.markdown(text, extensions=["tables", "fenced_code", "toc"],
                             output_format="html")

    problems = []
    base = os.path.dirname(os.path.abspath(source))
    for picture in re.findall(r'<img [^>]*src="([^"]+)"', body):
        if "://" not in picture and not os.path.isfile(os.path.join(base, picture)):
            problems.append(f"missing picture {picture}")
    ids = set(re.findall(r' id="([^"]+)"', body))
    for anchor in re.findall(r'href="#([^"]+)"', body):
        if anchor not in ids:
            problems.append(f"link to a missing section #{anchor}")
    if problems:
        sys.exit(f"{source}: " + "; ".join(problems))

    page = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(title)}</title>\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            f"<style>{STYLE}</style>\n</head>\n<body>\n{body}\n</body>\n</html>\n")
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out + ".tmp", "w", encoding="utf-8") as f:
        f.write(page)
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
