#!/usr/bin/env python3
"""Tab in a folder of many files: pelk's completion against cat's in the
same spot, in each shell, run side by side and printed as ratios.

    bench/completion.py [--runs N] [--files N] [--length N] [--typed PREFIX]

Each round types `cat PREFIX` and `pelk PREFIX` (default "f") and one Tab,
in turn, in a folder of N files (default 10,000) named f00000, f00001, ...
and filled out to a length (default 12 characters), and times from the
Tab until the shell hands back the line it then holds.  The shells and
their settings are those of tests/check-completion.py, with the project's
scripts.  Needs bash, bash-completion, zsh and fish (apt-get install -y
bash-completion zsh fish); a shell that is missing is left out.
"""
import argparse, importlib.util, os, shutil, statistics, sys, tempfile, time

sys.dont_write_bytecode = True  # nothing of the test script's left behind in tests/
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
spec = importlib.util.spec_from_file_location("matrix", os.path.join(root, "tests", "check-completion.py"))
matrix = importlib.util.module_from_spec(spec)
spec.loader.exec_module(matrix)


def seconds_to_complete(sh, line):
    """Seconds from a Tab after `line` until the shell shows the line it holds."""
    start = time.perf_counter()
    sh.after_tab(line)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--length", type=int, default=12)
    parser.add_argument("--typed", default="f")
    options = parser.parse_args()
    work = tempfile.mkdtemp()
    try:
        folder = os.path.join(work, "many")
        os.makedirs(folder)
        for n in range(options.files):
            name = "f%05d" % n
            open(os.path.join(folder, name + "x" * (options.length - len(name) - 4) + ".bin"), "w").close()
        os.environ["HOME"] = work
        scripts = os.path.join(root, "packaging", "completions")
        print("Tab after `cat %s` and `pelk %s` in a folder of %d files of %d characters"
              " (median of %d alternating runs):\n"
              % (options.typed, options.typed, options.files, options.length, options.runs))
        print("| shell | cat ms | pelk ms | pelk ÷ cat |\n|---|---:|---:|---:|")
        for setting in ("bash", "bash-plain", "zsh", "fish"):
            shell, setup = matrix.SETTINGS[setting]
            if not shutil.which(shell) or ("bash_completion" in setup and
                                           not os.path.exists("/usr/share/bash-completion/bash_completion")):
                print("| %s | not installed | | |" % setting)
                continue
            sh = matrix.Shell(shell, setup.format(dir=scripts), work)
            sh.command("cd '%s'" % folder)
            times = {"cat": [], "pelk": []}
            seconds_to_complete(sh, "pelk " + options.typed)  # loads what each loads on first use
            seconds_to_complete(sh, "cat " + options.typed)
            for _ in range(options.runs):
                for command in times:
                    times[command].append(seconds_to_complete(sh, command + " " + options.typed))
            os.write(sh.fd, b"exit\n")
            os.waitpid(sh.pid, 0)
            cat, pelk = (statistics.median(times[c]) * 1000 for c in ("cat", "pelk"))
            print("| %s | %.0f | %.0f | %.2f |" % (setting, cat, pelk, pelk / cat))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
