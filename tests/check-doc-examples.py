#!/usr/bin/env python3
"""Runs the examples of the README and the man page and checks that pelk
prints exactly what they show.

An example is a "$ command" line followed by the lines it prints.  Commands
run in order in a scratch folder, with the pelk under test first on PATH,
so an example that creates its input file is run before the ones that list
it.  /hex and /ascii end without a line feed; the example shows their output
as a line of its own all the same."""
import os
import re
import subprocess
import sys
import tempfile


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
    failures = 0
    checked = 0
    sources = [("README.md", readme_blocks), ("doc/pelk.1.in", man_blocks)]
    for name, blocks in sources:
        with open(os.path.join(source_dir, name), encoding="utf-8") as f:
            text = f.read()
        with tempfile.TemporaryDirectory() as scratch:
            for command, shown in examples(blocks(text)):
                run = subprocess.run(["sh", "-c", command], cwd=scratch, env=env,
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
                    print(f"{name}: {command!r} prints\n{out!r}\nbut the example shows\n{expected!r}")
                for line in shown:
                    if len(line) > 84:
                        failures += 1
                        print(f"{name}: line wider than a listing: {line!r}")
    print(f"{checked} examples checked, {failures} wrong")
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
