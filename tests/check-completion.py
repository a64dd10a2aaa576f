#!/usr/bin/env python3
"""pelk's completions, typed at real shells through a pseudo-terminal.

A matrix: hostile file names x ways of typing a unique prefix of each x
shell settings.  Each cell types `pelk PREFIX` and one Tab, and reads back
the line the shell then holds; the shell itself evaluates the completed
word (printf), which must name the file, or the folder with "/" and no
space after it.  A cell a shell cannot complete must leave the line as
typed: it counts as unsupported.  Anything else fails.  Rows for the
switches, for where nothing is offered, and behind commands that run
pelk (sudo, time, ...) come first.  Every Tab must leave the shell's
options, IFS and (fish) global variables as they were.

    tests/check-completion.py packaging/completions [SETTING...]
    tests/check-completion.py --settings    (the settings' names)
"""
import os, pty, re, select, shutil, subprocess, sys, tempfile, time

# Each name alone in a folder of its own: (path, kind).
NAMES = [("sp ace.bin", "file"), ("it's.bin", "file"), ('say"hi.bin', "file"), ("back\\slash.bin", "file"),
         ("a:b.bin", "file"), ("x::y.bin", "file"), ("-dash.bin", "file"), ("st*ar.bin", "file"),
         ("qu?est.bin", "file"), ("br[1].bin", "file"), ("do$llar.bin", "file"), ("~tilde.bin", "file"),
         ("ünï cödé.bin", "file"), ("new\nline.bin", "file"), ("dir one", "folder"), ("l:nk", "link"),
         ("c:olon", "folder"), ("sp ace:d/f.bin", "file"), ("x y/a:b c", "file"),
         ("0000:00:00.0/config", "file")]
STYLES = ["bare", "single", "double", "switch", "quoted-switch", "tilde", "variable", "quoted-variable",
          "doubled-slash", "redirected", "wildcard"]

SETTINGS = {  # name: (shell, setup)
    "bash": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash"),
    "bash-colon": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                           " COMP_WORDBREAKS=${{COMP_WORDBREAKS//:}}"),
    "bash-failglob": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                              " shopt -s failglob nullglob"),  # the user's own nullglob on too
    "bash-menu": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                          " bind 'TAB: menu-complete'"),
    "bash-ignore-case": ("bash", "source /usr/share/bash-completion/bash_completion; source {dir}/pelk.bash;"
                                 " bind 'set completion-ignore-case on'"),
    "bash-plain": ("bash", "source {dir}/pelk.bash"),  # a tarball's script, without bash-completion
    "bash-plain-ifs": ("bash", "source {dir}/pelk.bash; IFS=:; shopt -s nullglob"),  # the user's own nullglob on
    "zsh": ("zsh", "fpath=({dir} $fpath); autoload -Uz compinit; compinit -u -D"),
    "fish": ("fish", "source {dir}/pelk.fish"),
    "fish-home-slash": ("fish", "source {dir}/pelk.fish; set -gx HOME $HOME/"),
}
SHELLS = {"bash": ["bash", "--norc", "--noprofile"], "zsh": ["zsh", "-f"], "fish": ["fish", "--no-config"]}
# Ctrl-T prints the line the shell holds and the state a Tab must leave as
# it found it (options, IFS, global variables), and empties the line; all
# with builtins, so that a Tab costs no process.  The line and the state
# end in \36, which no name here holds.
DUMP = {
    "bash": "_dump() { printf '\\nLINE<%s\\36' \"$READLINE_LINE\"; shopt -p; set +o;"
            " printf 'IFS=%q\\36>\\n' \"$IFS\"; READLINE_LINE=; }; bind -x '\"\\C-t\": _dump'",
    "zsh": "_dump() { print -rn -- $'\\nLINE<'\"$BUFFER\"$'\\36'; setopt; print -rn -- \"IFS=${(q)IFS}\"$'\\36>\\n';"
           " BUFFER= }; zle -N _dump; bindkey '^T' _dump",
    "fish": "function _dump; printf '\\nLINE<%s\\36' (commandline | string collect); set --global --names |"
            " string match -rv '^(_|history|status|CMD_DURATION|COLUMNS|LINES|fish_pid|PWD|OLDPWD|dirprev|__fish_.*)$';"
            " printf 'IFS=%s\\36>\\n' (string escape -- $IFS); commandline ''; end; bind \\ct _dump",
}
# A copy of the shell for each setting reads the words a completion leaves,
# as the shell itself would: `printf '<%s>\n' WORDS` in the cell's folder,
# one request after another, without a process per request (but a subshell
# in bash and zsh).  A request is the folder and the words, as \xHH escapes
# on a line each; the answer, the arguments and then \36, the status and "E"
# where something was written to standard error.
EVALUATOR = {
    "bash": "while IFS= read -r dir && IFS= read -r words; do printf -v dir %b \"$dir\"; printf -v words %b \"$words\";"
            " (cd -- \"$dir\" && eval \"printf '<%s>\\n' $words\") 2>\"$1\";"
            " s=$? e=; [ -s \"$1\" ] && e=E; printf '\\36%s %s\\n' $s \"$e\"; done",
    "zsh": "while IFS= read -r dir && IFS= read -r words; do printf -v dir %b \"$dir\"; printf -v words %b \"$words\";"
           " (cd -- \"$dir\" && eval \"printf '<%s>\\n' $words\") 2>\"$1\";"
           " s=$? e=; [[ -s $1 ]] && e=E; printf '\\36%s %s\\n' $s \"$e\"; done",
    # fish reports a parse error in eval by its status.
    "fish": "while read -l dir; and read -l words; set dir (printf %b $dir | string collect -N);"
            " set words (printf %b $words | string collect -N); cd $dir; and eval \"printf '<%s>\\n' $words\" 2>$argv[1];"
            " set -l s $status; test -s $argv[1]; and set s \"$s E\"; printf '\\36%s\\n' $s; end",
}

# Switch rows, in a folder holding alpha.bin, -dash.bin and "--", which "-?"
# would glob to: the line typed, the line after a Tab (None: one the shell
# reads as a switch offered, reaching pelk as it stands, or left as typed).
SWITCH_ROWS = [("pelk /fi", "pelk /first:"), ("pelk -la", "pelk -last:"), ("pelk --mi", "pelk --mid:"),
               ("pelk -MI", "pelk -mid:"), ("pelk /FI", "pelk /first:"), ("pelk --as", "pelk --ascii "),
               ("pelk /hex al", "pelk /hex alpha.bin "), ("pelk /first:", "pelk /first:"),
               ("pelk --Mid:3:", "pelk --Mid:3:"), ("pelk alpha.bin al", "pelk alpha.bin al"),
               ("pelk /hex alpha.bin /h", "pelk /hex alpha.bin /h"), ("pelk /hex > out.txt al", "pelk /hex > out.txt alpha.bin "),
               ("pelk alpha.bin 2>/dev/nu", "pelk alpha.bin 2>/dev/null "), ("pelk /first:3 al", "pelk /first:3 alpha.bin "),
               ("pelk -", None), ("pelk '-d", "pelk '-d")]
# A user's home: "~root/" where its .profile is there to complete (a list:
# the arguments the completed line must give).
if os.access("/root/.profile", os.R_OK) and [n for n in os.listdir("/root") if n.startswith(".profi")] == [".profile"]:
    SWITCH_ROWS.append(("pelk ~root/.profi", ["/root/.profile"]))
# Rows in other folders: "lone" holds only x.bin, "case" co:lon.bin and
# eq=al.bin.  A tuple: any of its outcomes.
FOLDERS = {"switches": ("alpha.bin", "--", "-dash.bin"), "lone": ("x.bin",), "case": ("co:lon.bin", "eq=al.bin")}
OTHER_ROWS = [("lone", "pelk ", "pelk x.bin "), ("lone", "pelk /hex ", "pelk /hex x.bin "),
              ("lone", "pelk /FIRST:", "pelk /FIRST:"), ("lone", "pelk -last:", "pelk -last:"),
              ("lone", "pelk --mid:3:", "pelk --mid:3:"), ("lone", "pelk x.bin x", "pelk x.bin x"),
              ("case", "pelk eq=a", ["eq=al.bin"]), ("case", "pelk CO:L", ("pelk CO:L", ["co:lon.bin"]))]
# Behind a command that runs pelk, as when pelk is typed alone: in zsh, and
# in bash where bash-completion knows the command (it has no wrapper
# completion for env).  fish's own wrappers offer file names after any
# command, `cat`'s arguments too.
WRAPPERS = ["sudo", "time", "nice", "command", "xargs", "env"]
WRAPPED_ROWS = [("switches", "pelk -da", "pelk -da"), ("lone", "pelk /first:", "pelk /first:"),
                ("lone", "pelk x", "pelk x.bin "), ("lone", "pelk x.bin x", "pelk x.bin x")]
# Names that pelk must complete wherever `cat` in the same spot does.
ORDINARY = {"sp ace.bin", "dir one"}
SWITCHES = {m + n for m in ("/", "-", "--") for n in ("first:", "last:", "mid:", "hex", "ascii", "int", "help", "?")}


def typed(name, kind, style, shell, folder):
    """A unique prefix of the name (all but its last characters, nothing
    from a newline on), typed in a style as a user of the shell would."""
    text = (name[:-3] if kind == "file" else name[:-2]).split("\n")[0]
    fish = shell == "fish"
    special = " '\"\\*?$#()[]{}<>&;|" if fish else " '\"\\*?[$!&;|<>()`#{}"
    bare = "".join("\\" + c if c in special else c for c in text)
    bare = "\\" + bare if bare.startswith("~") else bare
    if style == "wildcard":  # the second character as "?"
        return text[0] + "?" + "".join("\\" + c if c in special else c for c in text[2:])
    if style == "single":
        return "'" + (text.replace("\\", "\\\\").replace("'", "\\'") if fish else text.replace("'", "'\\''"))
    if style == "double":
        return '"' + "".join("\\" + c if c in ('"\\$' if fish else '"\\$`') else c for c in text)
    return {"bare": "", "switch": "/hex ", "tilde": "~/" + folder + "/", "variable": "$HOME/" + folder + "/",
            "quoted-variable": '"$HOME"/' + folder + "/", "doubled-slash": ".//", "redirected": "/hex 2>/dev/null ",
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
        self.state = None
        self.after_tab("", tab=b"")  # the state as the user left it

    def read_until(self, marker, seconds=30):
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
        # The terminal sends each line end out as CR LF.
        return before.replace(b"\r\n", b"\n")

    def command(self, text):
        self.serial += 1
        os.write(self.fd, (text + "\necho DONE-" + self.sum % self.serial + "\n").encode())
        self.read_until(b"DONE-%d" % (self.serial + 1))

    def after_tab(self, line, tab=b"\t"):
        """The line the shell holds after `line` and a Tab; None where it
        stopped answering.  A Tab must leave the shell's state as it was
        before the first: `changed` tells what one did not."""
        os.write(self.fd, line.encode() + tab + b"\x14")
        self.changed = None
        try:
            self.shown = self.read_until(b"LINE<").decode("utf-8", "replace")
            held = self.read_until(b"\36").decode("utf-8", "replace")
            state = self.read_until(b"\36>").decode("utf-8", "replace")
        except TimeoutError:
            os.write(self.fd, b"\x03")
            self.command(":")
            return None
        # bash turns complete_fullquote off while it completes a word with a
        # variable, for `cat` too, and on again at the next Tab.
        state = re.sub(r"shopt -. complete_fullquote\n", "", state)
        if self.state is None:
            self.state = state
        elif state != self.state:
            was, now = set(self.state.split("\n")), set(state.split("\n"))
            self.changed = "%s where it was %s" % (sorted(now - was), sorted(was - now))
        return held


class Evaluator:
    """The arguments a shell makes of words, in a folder: a copy of the
    shell that takes one request after another."""
    def __init__(self, shell, scratch):
        self.process = subprocess.Popen(SHELLS[shell] + ["-c", EVALUATOR[shell], shell, os.path.join(scratch, "err")],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        env=dict(os.environ, LC_ALL="C.UTF-8"))
        self.known = {}

    def __call__(self, words, folder):
        key = (words, folder)
        if key not in self.known:
            escape = lambda text: "".join("\\x%02x" % b for b in text.encode())  # noqa: E731
            self.process.stdin.write(("%s\n%s\n" % (escape(folder), escape(words))).encode())
            self.process.stdin.flush()
            out = b""
            while not out.endswith(b"\n") or b"\36" not in out:
                out += self.process.stdout.read1(65536)
            printed, _, status = out.rpartition(b"\36")
            self.known[key] = re.findall(r"<(.*?)>\n", printed.decode("utf-8", "replace"), re.S) \
                if status.split() == [b"0"] else None
        return self.known[key]

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def evaluate(evaluator, words, style, folder):
    """The arguments the shell makes of the words, in `folder`, a quote the
    completion left open (as before a folder's contents) closed."""
    for closer in ["", {"single": "'", "double": '"'}.get(style, "")]:
        args = evaluator(words + closer, folder)
        if args is not None:
            return args
    return None


def main():
    if sys.argv[1:] == ["--settings"]:
        print("\n".join(SETTINGS))
        return 0
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
        for folder, names in FOLDERS.items():
            os.makedirs(os.path.join(root, folder))
            for name in names:
                open(os.path.join(root, folder, name), "w").close()
        return run(scripts, wanted, root)
    finally:
        shutil.rmtree(root, ignore_errors=True)


def run(scripts, wanted, root):
    passed = failed = unsupported = 0
    for setting in wanted:
        shell, setup = SETTINGS[setting]
        if not shutil.which(shell) or ("bash_completion" in setup and
                                       not os.path.exists("/usr/share/bash-completion/bash_completion")):
            print("%s: FAILED, %s is not installed here" % (setting, shell if not shutil.which(shell) else "bash-completion"))
            failed += 1
            continue
        sh, ev = Shell(shell, setup.format(dir=scripts), root), Evaluator(shell, root)

        def tab(line):
            nonlocal failed
            got = sh.after_tab(line)
            if sh.changed:
                failed += 1
                print("%s: FAILED %r<Tab> leaves the shell with %s" % (setting, line, sh.changed))
            return got

        wrapped = [(folder, wrapper + " " + line, wrapper + " " + result) for wrapper in WRAPPERS
                   for folder, line, result in WRAPPED_ROWS
                   if shell == "zsh" or shell == "bash" and wrapper != "env" and "bash_completion" in setup]
        # Two Tabs list the matches: bash lists switches beside the names in
        # "/" as they would be inserted, "/" and all.
        if shell == "bash" and "menu" not in setting:
            tab("pelk /l\t")
            if not os.path.isdir("/lib") or "/last:" not in sh.shown:
                failed += 1
                print("%s: FAILED 'pelk /l'<Tab><Tab> lists %r beside /lib" % (setting, sh.shown[-200:]))
        for folder, line, expected in [("switches", *row) for row in SWITCH_ROWS] + OTHER_ROWS + wrapped:
            sh.command("cd '%s/%s'" % (root, folder))
            got = tab(line)
            words = got.split("pelk ", 1)[-1] if got else None
            args = evaluate(ev, words, "", os.path.join(root, folder)) if got and not isinstance(expected, str) else None
            if any(got == e or args == e for e in (expected if isinstance(expected, tuple) else (expected,))) or \
                    expected is None and (got == line or args and set(args) <= SWITCHES and "".join(args).startswith(line[5:])):
                passed += 1
            else:
                failed += 1
                print("%s: FAILED %r<Tab> gives %r, expected %r" % (setting, line, got, expected))
        for n, (name, kind) in enumerate(NAMES):
            folder = "c%02d" % n
            here = os.path.join(root, folder)
            sh.command("cd '%s'" % here)
            # zsh's Tab expands a word holding a quoted variable before any
            # completion runs (for `cat` too), mangling some quotes.
            for style in (s for s in STYLES if not (shell == "zsh" and s == "quoted-variable")):
                line = "pelk " + typed(name, kind, shell=shell, style=style, folder=folder)
                # Left as typed, or as the shell expanded it, meaning the same.
                kept = lambda typed, got: got == typed or got and evaluate(  # noqa: E731
                    ev, got.split(" ", 1)[1], style, here) == evaluate(ev, typed.split(" ", 1)[1], style, here)
                got = tab(line)
                if kept(line, got) and not (name in ORDINARY and not kept("cat" + line[4:], tab("cat" + line[4:]))):
                    unsupported += 1
                    print("%s: unsupported: %r, %s" % (setting, name, style))
                    continue
                # A name that starts with "-" must reach pelk as one it takes for a file.
                want = {"tilde": os.path.join(root, folder, name), "variable": os.path.join(root, folder, name),
                        "quoted-variable": os.path.join(root, folder, name), "doubled-slash": ".//" + name}.get(
                    style, "./" + name if name.startswith("-") else name) + ("" if kind == "file" else "/")
                args = evaluate(ev, got[5:], style, here) if got and got.startswith("pelk ") else None
                if args and args[-1] == want and (kind == "file" or not got.endswith(" ")):
                    passed += 1
                else:
                    failed += 1
                    print("%s: FAILED %r, %s: %r<Tab> gives %r, read as %r" % (setting, name, style, line, got, args))
        os.write(sh.fd, b"exit\n")
        os.waitpid(sh.pid, 0)
        ev.close()
    print("completion: %d unsupported\n%d passed, %d failed" % (unsupported, passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
