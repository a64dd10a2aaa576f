#!/usr/bin/env python3
"""Runs the examples of the README and the man page and checks that pelk
prints exactly what they show, in every shell a reader may paste them into,
and that the documents give no advice that misleads.

An example is a "$ command" line followed by the lines it prints.  Commands
run in order in a scratch folder, with the pelk under test first on PATH,
so an example that creates its input file is run before the ones that list
it; each shell (sh, bash, zsh and fish, those that are here) runs them all
in a folder of its own.  /hex and /ascii end without a line feed; the
example shows their output as a line of its own all the same.  The man
page, read at every width from 60 to 120 columns, breaks none of its
literals (switches, messages, paths, commands) across lines."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

# Each shell as a reader's would start, without their own start-up files.
SHELLS = [["sh", "-c"], ["bash", "--norc", "-c"], ["zsh", "-f", "-c"], ["fish", "--no-config", "-c"]]


def misleading(name, text):
    """What the documents must not say: an unquoted /? to type (zsh and fish
    take it for a pattern), or less with -R or -r (which passes a file's
    escape sequences on to the terminal)."""
    found = []
    for match in re.finditer(r"/\?", text):
        i = match.start()
        quoted = text[i - 1:i] == "'" or text[i - 3:i] == "(aq"
        if not quoted and "unquoted" not in text[max(0, i - 16):i]:
            line = text.count("\n", 0, i) + 1
            found.append(f"{name}:{line}: /? unquoted, which zsh and fish take for a pattern")
    for match in re.finditer(r"less +-[A-Za-z]*[rR]", text):
        line = text.count("\n", 0, match.start()) + 1
        found.append(f"{name}:{line}: {match.group(0)} passes escape sequences to the terminal")
    return found


def man_literals(text):
    """The bold and italic words of the man page, each a literal to keep whole."""
    escapes = {"-": "-", " ": " ", "~": " ", "e": "\\", "&": "", "%": "", "(aq": "'"}
    found = set()
    for macro, args in re.findall(r"^\.(B|I|BI|IB|BR|RB|IR|RI) +(.*)$", text, re.M):
        args = [a.strip('"') for a in re.findall(r'"(?:[^"\\]|\\.)*"|(?:[^ "\\]|\\.)+', args)]
        args = [re.sub(r"\\(\(..|.)", lambda m: escapes.get(m.group(1), m.group(0)), a) for a in args]
        if macro in ("B", "I"):
            parts = [" ".join(args)]
        elif macro in ("BI", "IB"):
            parts = ["".join(args)]
        else:
            parts = args[macro[0] == "R"::2]
        found.update(" ".join(p.split()) for p in parts if len(p.strip()) > 1)
    return found


def broken_literals(page, literals):
    """The literals that a rendered page hyphenates or breaks at a line end."""
    lines = [" ".join(line.split()) for line in page.split("\n")]
    found = set()
    for a, b in zip(lines, lines[1:]):
        cut = len(a) - a.endswith("\u2010")
        joined = a[:cut] + ("" if a.endswith("\u2010") else " ") + b
        for literal in literals:
            for match in re.finditer(re.escape(literal), joined):
                if match.start() < cut < match.end():
                    found.add(literal)
    return found


def readme_blocks(text):
    blocks, current = [], None
    for line in text.split("\n"):
        if line.startswith("```"):
            if current is None:
                current = []
            else:
                blocks.append("\n".join(current) + "\n")
                current = None
        elif current is not None:
            current.append(line)
    return blocks


def man_blocks(text):
    blocks = re.findall(r"^\.EX\n(.*?)^\.EE$", text, re.M | re.S)
    unescape = [("\\e", "\\"), ("\\-", "-"), ("\\ ", " "), ("\\(aq", "'")]
    out = []
    for block in blocks:
        for escape, plain in unescape:
            block = block.replace(escape, plain)
        out.append(block)
    return out


def examples(blocks):
    for block in blocks:
        command, shown = None, []
        for line in block.split("\n")[:-1]:
            if line.startswith("$ "):
                if command is not None:
                    yield command, shown
                command, shown = line[2:], []
            elif command is not None:
                shown.append(line)
        if command is not None:
            yield command, shown


def main():
    binary_dir, source_dir = (os.path.abspath(a) for a in sys.argv[1:3])
    env = dict(os.environ, PATH=binary_dir + os.pathsep + os.environ.get("PATH", ""))
    shells = [shell for shell in SHELLS if shutil.which(shell[0])]
    failures = 0
    checked = 0
    sources = [("README.md", readme_blocks), ("doc/pelk.1.in", man_blocks)]
    for name, blocks in sources:
        with open(os.path.join(source_dir, name), encoding="utf-8") as f:
            text = f.read()
        for problem in misleading(name, text):
            failures += 1
            print(problem)
        for shell in shells:
            with tempfile.TemporaryDirectory() as scratch:
                for command, shown in examples(blocks(text)):
                    run = subprocess.run(shell + [command], cwd=scratch, env=env,
                                         capture_output=True)
                    if not shown:
                        continue
                    out = run.stdout.decode("utf-8", "surrogateescape")
                    if not out.endswith("\n"):
                        out += "\n"
                    expected = "\n".join(shown) + "\n"
                    checked += 1
                    if out != expected:
                        failures += 1
                        print(f"{name}, {shell[0]}: {command!r} prints\n{out!r}\n"
                              f"but the example shows\n{expected!r}")
        for line in (line for _, shown in examples(blocks(text)) for line in shown):
            if len(line) > 84:
                failures += 1
                print(f"{name}: line wider than a listing: {line!r}")
    man_page = os.path.join(source_dir, "doc/pelk.1.in")
    with open(man_page, encoding="utf-8") as f:
        literals = man_literals(f.read())

    def render(width):
        env = dict(os.environ, MANWIDTH=str(width), LC_ALL="C.UTF-8")
        return width, subprocess.run(["man", "-l", man_page], env=env, capture_output=True, text=True).stdout
    with ThreadPoolExecutor(4) as pool:
        for width, page in pool.map(render, range(60, 121)):
            for literal in sorted(broken_literals(page, literals)):
                failures += 1
                print(f"doc/pelk.1.in at {width} columns breaks {literal!r} across lines")
    print(f"{checked} examples checked in {len(shells)} shells, {failures} wrong")
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
