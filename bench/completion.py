#!/usr/bin/env python3
"""Tab in a folder of many files: pelk's completion against cat's in the
same spot, in each shell, run side by side and printed as ratios.

    bench/completion.py [--runs N] [--files N]

Each round types `cat f` and `pelk f` and one Tab, in turn, in a folder of
N files that share the prefix "file" (default 10,000), and times from the
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
    os.write(sh.fd, line.encode() + b"\t\x14")
    sh.read_until(b"LINE<")
    sh.read_until(b">")
    elapsed = time.perf_counter() - start
    sh.command(":")
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--files", type=int, default=10000)
    options = parser.parse_args()
    work = tempfile.mkdtemp()
    try:
        folder = os.path.join(work, "many")
        os.makedirs(folder)
        for n in range(options.files):
            open(os.path.join(folder, "file%05d.bin" % n), "w").close()
        os.environ["HOME"] = work
        scripts = os.path.join(root, "packaging", "completions")
        print("Tab after `cat f` and `pelk f` in a folder of %d files (median of %d alternating runs):\n"
              % (options.files, options.runs))
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
            seconds_to_complete(sh, "pelk f")  # loads what each loads on first use
            seconds_to_complete(sh, "cat f")
            for _ in range(options.runs):
                for command in times:
                    times[command].append(seconds_to_complete(sh, command + " f"))
            os.write(sh.fd, b"exit\n")
            os.waitpid(sh.pid, 0)
            cat, pelk = (statistics.median(times[c]) * 1000 for c in ("cat", "pelk"))
            print("| %s | %.0f | %.0f | %.2f |" % (setting, cat, pelk, pelk / cat))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
