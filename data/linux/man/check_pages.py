#!/usr/bin/env python3
"""Checks the manual pages: each formats without a single warning, as groff
and man (the way lintian runs it) see it, and says what the programs do:
gyrobloom(1) describes every key of engine/Settings.cpp with its default and
no key that does not exist, and gyrobloom-hack(6) quotes the usage line the
hack prints for an unknown option.

Usage: check_pages.py --groff GROFF --settings Settings.cpp [--hack HACK] PAGE...
Prints PASS/FAIL lines; the exit status is 1 when a check failed.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

failures = 0


def check(description, ok, detail=""):
    global failures
    print(("PASS: " if ok else "FAIL: ") + description + (f" ({detail})" if detail and not ok else ""))
    if not ok:
        failures += 1


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def render(groff, page):
    """The page as plain text, one paragraph a line (nothing wraps)."""
    result = run([groff, "-man", "-Tascii", "-P-cbou", "-rLL=2000n", page])
    return result.stdout


def settings_keys(source):
    """(key, default text as the page writes it) for each stored setting."""
    text = open(source, encoding="utf-8").read()
    keys = []
    for key, kind, default in re.findall(r'\{"([^"]+)", Kind::(\w+), "([^"]*)"', text):
        if kind == "Boolean":
            default = "True" if default not in ("0", "") else "False"
        keys.append((key, default))
    return keys


def section(text, name):
    """The lines of one section of rendered text (its heading excluded)."""
    lines = text.splitlines()
    out, inside = [], False
    for line in lines:
        if re.match(r"^[A-Z][A-Z ]+$", line):
            inside = line.strip() == name
            continue
        if inside:
            out.append(line)
    return out


def settings_items(page):
    """{key: description} of the tagged paragraphs (.TP, then .B KEY) of the
    page's SETTINGS section, read from its source."""
    items, tag, inside, after_tp = {}, None, False, False
    for line in open(page, encoding="utf-8").read().splitlines():
        if line.startswith(".SH"):
            inside, tag = line.split(None, 1)[1].strip('"') == "SETTINGS", None
            continue
        if not inside:
            continue
        if line.startswith(".TP"):
            after_tp, tag = True, None
            continue
        if after_tp:
            after_tp = False
            tag = re.sub(r"^\.B\s+", "", line).strip('"')
            items[tag] = ""
            continue
        if tag is not None and not line.startswith(".\\\""):
            items[tag] += " " + re.sub(r"^\.[A-Z]+\s*", "", line).replace("\\-", "-")
    return {k: " ".join(v.split()) for k, v in items.items()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--groff", required=True)
    parser.add_argument("--settings", required=True)
    parser.add_argument("--hack")
    parser.add_argument("pages", nargs="+")
    args = parser.parse_args()

    man = shutil.which("man")
    lintian_env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
    pages = {}
    for page in args.pages:
        name = os.path.basename(page)
        result = run([args.groff, "-ww", "-man", "-Tutf8", "-z", page])
        check(f"{name}: groff -ww formats it without a warning", result.returncode == 0 and not result.stderr,
              result.stderr.strip())
        if man:
            result = run([man, "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page], env=lintian_env)
            check(f"{name}: man --warnings -l formats it without a warning",
                  result.returncode == 0 and not result.stderr, result.stderr.strip())
        text = render(args.groff, page)
        pages[name] = text
        program = name.rsplit(".", 1)[0]
        title = section(text, "NAME")
        check(f"{name}: its NAME line is \"{program} - ...\" (what whatis and apropos show)",
              bool(title) and title[0].strip().startswith(program + " - "), " ".join(title).strip())

    if "gyrobloom.1" in pages:
        keys = settings_keys(args.settings)
        items = settings_items(next(p for p in args.pages if p.endswith("gyrobloom.1")))
        check(f"Settings.cpp stores fourteen keys, as the page says ({len(keys)})",
              len(keys) == 14 and "fourteen settings" in pages["gyrobloom.1"])
        for key, default in keys:
            described = items.get(key, "")
            check(f"gyrobloom(1) describes \"{key}\" with its default {default}",
                  f"Default {default}." in described, described or "not described")
        unknown = sorted(set(items) - {key for key, _ in keys})
        check("gyrobloom(1) describes no key the program does not store", not unknown, ", ".join(unknown))

    if args.hack and "gyrobloom-hack.6" in pages:
        result = run([args.hack, "--no-such-option"], env=dict(os.environ, DISPLAY=""))
        usage = result.stderr.strip()
        text = pages["gyrobloom-hack.6"]
        check("gyrobloom-hack(6) quotes the usage line the hack prints, and its status 1",
              result.returncode == 1 and bool(usage) and usage in text and "usage error" in " ".join(
                  section(text, "EXIT STATUS")), f"status {result.returncode}, printed \"{usage}\"")
        options = section(text, "OPTIONS")
        for option in re.findall(r"(-[a-z-]+)", usage.split("[", 1)[-1]):
            check(f"gyrobloom-hack(6) describes {option}",
                  any(line.startswith("       " + option) for line in options))

    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
