#!/usr/bin/env python3
"""Rewrites the help texts in docs/command-line.md from a built corvia.

Each block between a line `<!-- help: ARGS -->` and the next line
`<!-- end help -->` is replaced by the output of `corvia ARGS`, as an
indented code block. Run it after a change of an option:

    tools/update-help-doc.py [build/bin/corvia]

With --check it changes nothing and exits 1 when the page is out of date.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PAGE = ROOT / "docs" / "command-line.md"
BLOCK = re.compile(r"(<!-- help: (.*?) -->\n).*?(<!-- end help -->)", re.S)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    corvia = args[0] if args else str(ROOT / "build" / "bin" / "corvia")

    def help_text(match):
        out = subprocess.run([corvia] + match.group(2).split(), capture_output=True,
                             text=True, check=True, env={"QT_QPA_PLATFORM": "offscreen"}).stdout
        body = "".join(("    " + line).rstrip() + "\n" for line in out.rstrip("\n").split("\n"))
        return match.group(1) + "\n" + body + "\n" + match.group(3)

    old = PAGE.read_text()
    new = BLOCK.sub(help_text, old)
    if check:
        if new != old:
            print(f"{PAGE} is out of date: run tools/update-help-doc.py", file=sys.stderr)
            return 1
        return 0
    PAGE.write_text(new)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
