#!/usr/bin/env python3
"""pelk's completions, typed at real shells through a pseudo-terminal.

A matrix: hostile file names x ways of typing a unique prefix of each x
shell settings.  Each cell types `pelk PREFIX` and one Tab, and reads back
the line the shell then holds; the shell itself evaluates the completed
word (printf), which must name the file, or the folder with "/" and no
space after it.  A cell a shell cannot complete must leave the line as
typed: it counts as unsupported.  Anything else fails.  Rows for the
switches, and for where nothing is offered, come first.

    tests/check-completion.py packaging/completions [SETTING...]
"""
import base64, os, pty, re, select, shutil, subprocess, sys, tempfile, time

# Each name alone in a folder of its own: (path, kind).
NAMES = [("sp ace.bin", "file"), ("it's.bin", "file"), ('say"hi.bin', "file"), ("back\\slash.bin", "file"),
         ("a:b.bin", "file"), ("x::y.bin", "file"), ("-dash.bin", "file"), ("st*ar.bin", "file"),
         ("qu?est.bin", "file"), ("br[1].bin", "file"), ("do$llar.bin", "file"), ("~tilde.bin", "file"),
         ("ünï cödé.bin", "file"), ("new\nline.bin", "file"), ("dir one", "folder"), ("l:nk", "link"),
         ("c:olon", "folder"), ("sp ace:d/f.bin", "file"), ("x y/a:b c", "file"),
         ("0000:00:00.0/config", "file")]
STYLES = ["bare", "single", "double", "switch", "quoted-switch", "tilde"]

SETTINGS = {  # name: (shell, setup)
    "bash": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash"),
    "bash-colon": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                           " COMP_WORDBREAKS=${{COMP_WORDBREAKS//:}}"),
    "bash-failglob": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                              " shopt -s failglob"),
    "bash-plain": ("bash", "source {dir}/pelk.bash"),  # a tarball's script, without bash-completion
    "zsh": ("zsh", "fpath=({dir} $fpath); autoload -Uz compinit; compinit -u -D"),
    "fish": ("fish", "source {dir}/pelk.fish"),
}
SHELLS = {"bash": ["bash", "--norc", "--noprofile"], "zsh": ["zsh", "-f"], "fish": ["fish", "--no-config"]}
# Ctrl-T prints the line the shell holds, and empties it.
DUMP = {
    "bash": "_dump() { printf '\\nLINE<%s>\\n' \"$(printf %s \"$READLINE_LINE\" | base64 -w0)\"; READLINE_LINE=; };"
            " bind -x '\"\\C-t\": _dump'",
    "zsh": "_dump() { print -rn -- $'\\nLINE<'\"$(print -rn -- $BUFFER | base64 -w0)\"$'>\\n'; BUFFER= };"
           " zle -N _dump; bindkey '^T' _dump",
    "fish": "function _dump; printf '\\nLINE<%s>\\n' (commandline | string collect | base64 -w0); commandline '';"
            " end; bind \\ct _dump",
}

# Switch rows, in a folder holding alpha.bin: the line typed, the line after a Tab.
SWITCH_ROWS = [("pelk /fi", "pelk /first:"), ("pelk -la", "pelk -last:"), ("pelk --mi", "pelk --mid:"),
               ("pelk -MI", "pelk -mid:"), ("pelk /FI", "pelk /first:"), ("pelk --as", "pelk --ascii "),
               ("pelk /hex al", "pelk /hex alpha.bin "), ("pelk /first:", "pelk /first:"),
               ("pelk --Mid:3:", "pelk --Mid:3:"), ("pelk alpha.bin al", "pelk alpha.bin al"),
               ("pelk /hex alpha.bin /h", "pelk /hex alpha.bin /h")]


def typed(name, kind, style, shell, folder):
    """A unique prefix of the name (all but its last characters, nothing
    from a newline on), typed in a style as a user of the shell would."""
    text = (name[:-3] if kind == "file" else name[:-2]).split("\n")[0]
    fish = shell == "fish"
    special = " '\"\\*?$#()[]{}<>&;|" if fish else " '\"\\*?[$!&;|<>()`#{}"
    bare = "".join("\\" + c if c in special else c for c in text)
    bare = "\\" + bare if bare.startswith("~") else bare
    if style == "single":
        return "'" + (text.replace("\\", "\\\\").replace("'", "\\'") if fish else text.replace("'", "'\\''"))
    if style == "double":
        return '"' + "".join("\\" + c if c in ('"\\$' if fish else '"\\$`') else c for c in text)
    return {"bare": "", "switch": "/hex ", "tilde": "~/" + folder + "/",
            "quoted-switch": "'/first:3' " if shell == "zsh" else '"/hex" '}[style] + bare


class Shell:
    def __init__(self, shell, setup, home):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(home)
            env = {"HOME": home, "PATH": os.environ["PATH"], "TERM": "dumb", "INPUTRC": "/dev/null",
                   "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8", "PS1": "$ "}
            os.execvpe(shell, SHELLS[shell] + ["-i"], env)
        # A number the shell works out, so that the echo of what is typed
        # never matches what the command prints.
        self.sum, self.serial, self.buffer = "(math %d+1)" if shell == "fish" else "$((%d+1))", 0, b""
        self.command(setup + "\n" + DUMP[shell])

    def read_until(self, marker, seconds=60):
        end = time.time() + seconds
        while marker not in self.buffer and time.time() < end:
            if select.select([self.fd], [], [], 0.1)[0]:
                try:
                    self.buffer += os.read(self.fd, 65536)
                except OSError:
                    break
        before, found, self.buffer = self.buffer.partition(marker)
        if not found:
            raise TimeoutError(marker)
        return before

    def command(self, text):
        self.serial += 1
        os.write(self.fd, (text + "\necho DONE-" + self.sum % self.serial + "\n").encode())
        self.read_until(b"DONE-%d" % (self.serial + 1))

    def after_tab(self, line):
        """The line the shell holds after `line` and a Tab; None where it
        stopped answering."""
        os.write(self.fd, line.encode() + b"\t\x14")
        try:
            self.read_until(b"LINE<")
            held = base64.b64decode(self.read_until(b">")).decode("utf-8", "replace")
        except TimeoutError:
            held = None
            os.write(self.fd, b"\x03")
        self.command(":")
        return held


def evaluate(shell, words, style):
    """The arguments the shell makes of the words, a quote the completion
    left open (as before a folder's contents) closed."""
    for closer in ["", {"single": "'", "double": '"'}.get(style, "")]:
        script = "printf '<%s>\\n' " + words + closer
        done = subprocess.run(SHELLS[shell] + ["-c", script], capture_output=True)
        if done.returncode == 0 and not done.stderr:  # fish answers 0 to a quote left open
            return re.findall(r"<(.*?)>\n", done.stdout.decode("utf-8", "replace"), re.S)
    return None


def main():
    scripts, wanted = os.path.realpath(sys.argv[1]), sys.argv[2:] or list(SETTINGS)
    try:
        os.close(pty.openpty()[0])
    except OSError:
        print("completion: skipped, no pseudo-terminals here")
        return 77
    root = os.environ["HOME"] = tempfile.mkdtemp()
    try:
        for n, (name, kind) in enumerate(NAMES):
            path = os.path.join(root, "c%02d" % n, name)
            os.makedirs(os.path.dirname(path))
            if kind == "file":
                open(path, "w").close()
            elif kind == "folder":
                os.makedirs(path)
            else:
                os.makedirs(os.path.join(root, "targets", "c%02d" % n))
                os.symlink(os.path.join(root, "targets", "c%02d" % n), path)
        os.makedirs(os.path.join(root, "switches"))
        open(os.path.join(root, "switches", "alpha.bin"), "w").close()
        return run(scripts, wanted, root)
    finally:
        shutil.rmtree(root, ignore_errors=True)


def run(scripts, wanted, root):
    passed = failed = unsupported = 0
    for setting in wanted:
        shell, setup = SETTINGS[setting]
        if not shutil.which(shell) or ("bash_completion" in setup and
                                       not os.path.exists("/usr/share/bash-completion/bash_completion")):
            print("%s: skipped, not installed" % setting)
            continue
        sh = Shell(shell, setup.format(dir=scripts), root)
        sh.command("cd '%s/switches'" % root)
        for line, expected in SWITCH_ROWS:
            got = sh.after_tab(line)
            if got == expected:
                passed += 1
            else:
                failed += 1
                print("%s: FAILED %r<Tab> gives %r, expected %r" % (setting, line, got, expected))
        for n, (name, kind) in enumerate(NAMES):
            folder = "c%02d" % n
            sh.command("cd '%s/%s'" % (root, folder))
            for style in STYLES:
                line = "pelk " + typed(name, kind, shell=shell, style=style, folder=folder)
                got = sh.after_tab(line)
                if got == line:
                    unsupported += 1
                    print("%s: unsupported: %r, %s" % (setting, name, style))
                    continue
                want = (os.path.join(root, folder, name) if style == "tilde" else name) + ("" if kind == "file" else "/")
                args = evaluate(shell, got[5:], style) if got and got.startswith("pelk ") else None
                if args and args[-1] == want and (kind == "file" or not got.endswith(" ")):
                    passed += 1
                else:
                    failed += 1
                    print("%s: FAILED %r, %s: %r<Tab> gives %r, read as %r" % (setting, name, style, line, got, args))
        os.write(sh.fd, b"exit\n")
        os.waitpid(sh.pid, 0)
    print("completion: %d unsupported\n%d passed, %d failed" % (unsupported, passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
