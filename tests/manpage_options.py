#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""tests/manpage_options.py PROGRAM PAGE.1

The manual page and the program's --help name the same options: every option
--help prints is in the page's OPTIONS section, and every option there is in
--help, so neither falls behind when an option comes or goes.
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")


def page_options(path):
    with open(path, encoding="utf-8") as f:
        roff = f.read()
    section = re.search(r"^\.SH OPTIONS\n(.*?)(?=^\.SH )", roff, re.MULTILINE | re.DOTALL)
    if not section:
        sys.exit(f"{path}: no OPTIONS section")
    text = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", section.group(1)).replace("\\-", "-")
    return set(OPTION.findall(text))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[0])
    program, page = sys.argv[1], sys.argv[2]
    # In English, and without a display: --help needs none.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(LC_ALL="C.UTF-8", LANG="C.UTF-8", LANGUAGE="")
    run = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=60, env=env)
    if run.returncode != 0:
        sys.exit(f"{program} --help exited with status {run.returncode}: {run.stderr}")
    in_help = set(OPTION.findall(run.stdout))
    in_page = page_options(page)
    problems = [f"{o} is in --help but not in the page's OPTIONS" for o in sorted(in_help - in_page)]
    problems += [f"{o} is in the page's OPTIONS but not in --help" for o in sorted(in_page - in_help)]
    for p in problems:
        print(f"{page}: {p}", file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
