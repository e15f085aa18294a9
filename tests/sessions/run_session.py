#!/usr/bin/env python3
"""Runs one session file: a scripted cplhost session on a fresh machine.

    run_session.py [--runner host] --bin DIR --cpl FILE [--keep] NAME.session

The session's machine is copied into a temporary directory, the applet is
installed as C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL, the session's files, card and
environment are applied, cplhost runs the script, and the transcript, the
files and the card's request log are compared byte for byte with what the
session expects.  tests/sessions/README.md describes the format.

Exit status: 0 when everything matches, 1 when something differs, 2 for a
faulty session file, 77 when the runner skips the session.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
DEFAULT_MACHINE = "samples/machine"
DEFAULT_ENV = [("set", "ZENOPHASE", "C:\\HARMPNP\\ZP.INI")]
APPLET_PATH = "C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL"
SKIPPED = 77
TIMEOUT_SECONDS = 60


class SessionError(Exception):
    """The session file itself is faulty."""


class Session:
    def __init__(self, name):
        self.name = name
        self.machine = DEFAULT_MACHINE
        self.setup = []  # ("file", dos path, bytes) | ("remove", dos path)
        self.card = None  # bytes of card.ini, or None to keep the machine's
        self.env = list(DEFAULT_ENV)  # ("set", name, value) | ("unset", name)
        self.script = b""
        self.transcript = None  # expected stdout, or None: not compared
        self.expect_files = []  # (dos path, bytes)
        self.expect_unchanged = []  # dos paths
        self.expect_log = None  # expected requests.log, or None: not compared
        self.exit = 0
        self.host_only = False


def crlf_lines(lines):
    return b"".join(line + b"\r\n" for line in lines)


def lf_lines(lines):
    return b"".join(line + b"\n" for line in lines)


def raw_lines(lines):
    """Lines ended LF; a line \\z is one Ctrl-Z byte."""
    return b"".join(b"\x1a" if line == b"\\z" else line + b"\n" for line in lines)


def parse_session(data, name="session"):
    """Parses the bytes of a session file into a Session."""
    session = Session(name)
    lines = [line[:-1] if line.endswith(b"\r") else line for line in data.split(b"\n")]
    if lines and lines[-1] == b"":
        lines.pop()
    index = 0

    def fail(message):
        raise SessionError(f"{name}:{index}: {message}")

    def block():
        nonlocal index
        start = index
        taken = []
        while index < len(lines):
            line = lines[index]
            index += 1
            if line == b"end":
                return taken
            taken.append(line)
        index = start
        fail("the block has no end line")

    def argument(rest, what):
        if not rest:
            fail(f"{word} needs {what}")
        return rest.decode("latin-1")

    seen = set()
    while index < len(lines):
        line = lines[index]
        index += 1
        if not line.strip() or line.startswith(b"#"):
            continue
        word, _, rest = line.strip().partition(b" ")
        word = word.decode("latin-1")
        rest = rest.strip()
        if word in ("machine", "script", "transcript", "card", "expect-log", "exit", "host-only"):
            if word in seen:
                fail(f"{word} given twice")
            seen.add(word)
        if word == "machine":
            session.machine = argument(rest, "a directory")
        elif word == "file":
            path = argument(rest, "a path")
            session.setup.append(("file", path, crlf_lines(block())))
        elif word == "rawfile":
            path = argument(rest, "a path")
            session.setup.append(("file", path, raw_lines(block())))
        elif word == "card":
            session.card = lf_lines(block())
        elif word == "remove":
            session.setup.append(("remove", argument(rest, "a path")))
        elif word == "env":
            setting = argument(rest, "NAME=VALUE")
            var, equals, value = setting.partition("=")
            if not equals or not var:
                fail("env needs NAME=VALUE")
            session.env.append(("set", var, value))
        elif word == "unenv":
            session.env.append(("unset", argument(rest, "a name")))
        elif word == "script":
            session.script = lf_lines(block())
        elif word == "transcript":
            session.transcript = lf_lines(block())
        elif word == "expect-file":
            session.expect_files.append((argument(rest, "a path"), crlf_lines(block())))
        elif word == "expect-unchanged":
            session.expect_unchanged.append(argument(rest, "a path"))
        elif word == "expect-log":
            session.expect_log = lf_lines(block())
        elif word == "exit":
            try:
                session.exit = int(argument(rest, "a status"))
            except ValueError:
                fail("exit needs a number")
        elif word == "host-only":
            session.host_only = True
        else:
            fail(f"unknown directive {word!r}")
    return session


def ascii_fold(name):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)


def machine_path(root, dos_path, create_dirs=False):
    """The file of the machine at root that the DOS path names; each name is
    matched without regard to ASCII case, and a name that does not exist
    keeps its spelling.  A path without a drive (registry.reg) names a file
    of the machine directory itself."""
    if len(dos_path) >= 3 and dos_path[0].isalpha() and dos_path[1:3] == ":\\":
        current = Path(root) / ("drive_" + dos_path[0].lower())
        parts = [part for part in dos_path[3:].split("\\") if part]
    elif ":" in dos_path or dos_path.startswith(("/", "\\")):
        raise SessionError(f"{dos_path!r} is neither a DOS path like C:\\DIR\\FILE nor a file of the machine directory")
    else:
        current = Path(root)
        parts = [part for part in dos_path.replace("\\", "/").split("/") if part]
    if not parts or any(part in (".", "..") for part in parts):
        raise SessionError(f"{dos_path!r} names no file of the machine")
    for position, part in enumerate(parts):
        match = None
        if current.is_dir():
            for entry in os.listdir(current):
                if ascii_fold(entry) == ascii_fold(part):
                    match = entry
                    break
        current = current / (match or part)
        if create_dirs and position < len(parts) - 1:
            current.mkdir(parents=True, exist_ok=True)
    return current


class HostRunner:
    """cplhost of the host build, on a machine directory (HOSTWIN_ROOT)."""

    name = "host"
    runs_host_only = True
    # What the run keeps of the caller's environment.
    KEPT = ("PATH", "LD_LIBRARY_PATH", "TMPDIR", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")

    def __init__(self, args):
        if not args.bin or not args.cpl:
            raise SessionError("the host runner needs --bin and --cpl")
        self.bin = Path(args.bin).resolve()
        self.cpl = Path(args.cpl).resolve()

    def install(self, root):
        target = machine_path(root, APPLET_PATH, create_dirs=True)
        shutil.copyfile(self.cpl, target)

    def base_environment(self, root):
        env = {name: os.environ[name] for name in self.KEPT if name in os.environ}
        env["HOSTWIN_ROOT"] = str(root)
        env["HOSTWIN_BIN"] = str(self.bin)
        return env

    def run(self, root, work, script, env):
        command = [str(self.bin / "cplhost"), "--script", str(script), "SHELL32.DLL,Control_RunDLL", "zpcfgpnl.CPL"]
        return subprocess.run(command, env=env, cwd=work, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=TIMEOUT_SECONDS)

    def log_path(self, root):
        return Path(root) / "requests.log"


RUNNERS = {"host": HostRunner}


def visible(data):
    """The bytes as lines a reader can compare: CR, Ctrl-Z and other control
    bytes spelled out, a missing last line end noted."""
    text = data.decode("latin-1")
    lines = []
    for line in text.split("\n"):
        shown = ""
        for c in line:
            if c == "\r":
                shown += "\\r"
            elif c == "\x1a":
                shown += "\\z"
            elif c < " " and c != "\t":
                shown += f"\\x{ord(c):02x}"
            else:
                shown += c
        lines.append(shown)
    if lines[-1] == "":
        lines.pop()
    elif data:
        lines[-1] += "   (no line end)"
    return lines


def difference(what, expected, got):
    """An empty list when the bytes match, else lines that show both."""
    if expected == got:
        return []
    want, have = visible(expected), visible(got)
    first = next((i for i in range(min(len(want), len(have))) if want[i] != have[i]), min(len(want), len(have)))
    report = [f"{what} differs (first at line {first + 1}):", "  expected:"]
    report += [("  > " if i == first else "    ") + line for i, line in enumerate(want)] or ["    (nothing)"]
    report += ["  got:"]
    report += [("  > " if i == first else "    ") + line for i, line in enumerate(have)] or ["    (nothing)"]
    return report


def read_or_none(path):
    try:
        return Path(path).read_bytes()
    except FileNotFoundError:
        return None


def run_session(session, runner, work, source_dir=SOURCE_DIR):
    """Runs the session in the directory work; answers the report lines of
    every difference (empty when everything matches)."""
    machine_source = Path(session.machine)
    if not machine_source.is_absolute():
        machine_source = Path(source_dir) / machine_source
    if not machine_source.is_dir():
        raise SessionError(f"no machine directory {machine_source}")
    root = Path(work) / "machine"
    shutil.copytree(machine_source, root, symlinks=True)
    runner.install(root)
    log = runner.log_path(root)
    if log.exists():
        log.unlink()  # the log shows this run's requests only
    if session.card is not None:
        (root / "card.ini").write_bytes(session.card)
    for step in session.setup:
        path = machine_path(root, step[1], create_dirs=True)
        if step[0] == "file":
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(step[2])
        elif path.exists():
            path.unlink()
    before = {path: read_or_none(machine_path(root, path)) for path in session.expect_unchanged}

    env = runner.base_environment(root)
    for change in session.env:
        if change[0] == "set":
            env[change[1]] = change[2]
        else:
            env.pop(change[1], None)
    script = Path(work) / "session.script"
    script.write_bytes(session.script)
    try:
        result = runner.run(root, work, script, env)
    except subprocess.TimeoutExpired:
        return [f"cplhost did not end within {TIMEOUT_SECONDS} seconds"]

    report = []
    if result.returncode != session.exit:
        report.append(f"cplhost ended with status {result.returncode}, expected {session.exit}")
    if session.transcript is not None:
        report += difference("the transcript", session.transcript, result.stdout)
    for path, expected in session.expect_files:
        got = read_or_none(machine_path(root, path))
        if got is None:
            report.append(f"{path} does not exist after the run")
        else:
            report += difference(path, expected, got)
    for path in session.expect_unchanged:
        got = read_or_none(machine_path(root, path))
        if before[path] is None and got is not None:
            report.append(f"{path} was created by the run")
        elif before[path] is not None and got is None:
            report.append(f"{path} was removed by the run")
        elif got is not None:
            report += difference(f"{path} (expected unchanged)", before[path], got)
    if session.expect_log is not None:
        report += difference("requests.log", session.expect_log, read_or_none(log) or b"")
    if report and result.stderr:
        report += ["cplhost said:"] + ["  " + line for line in result.stderr.decode("latin-1").splitlines()]
    return report


def main(argv):
    parser = argparse.ArgumentParser(description="Runs one scripted cplhost session.")
    parser.add_argument("--runner", choices=sorted(RUNNERS), default="host")
    parser.add_argument("--bin", help="the directory of the host build's cplhost")
    parser.add_argument("--cpl", help="the built zpcfgpnl.cpl")
    parser.add_argument("--keep", action="store_true", help="keep the machine copy and print where it is")
    parser.add_argument("session")
    args = parser.parse_args(argv)
    try:
        session = parse_session(Path(args.session).read_bytes(), args.session)
        runner = RUNNERS[args.runner](args)
        if session.host_only and not runner.runs_host_only:
            print(f"skipped: {args.session} uses host-only seams")
            return SKIPPED
        work = tempfile.mkdtemp(prefix="session-")
        try:
            report = run_session(session, runner, work)
        finally:
            if args.keep:
                print(f"the machine is kept in {work}/machine")
            else:
                shutil.rmtree(work, ignore_errors=True)
    except (SessionError, OSError) as error:
        print(f"run_session: {error}", file=sys.stderr)
        return 2
    if report:
        print("\n".join(report))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
