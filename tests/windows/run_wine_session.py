#!/usr/bin/env python3
"""Runs one session file with the Windows build under Wine.

    run_wine_session.py --bin BUILD --cpl FILE [--keep] NAME.session

The same harness as the host's (tests/sessions/run_session.py) with its
runner "wine": the machine copy becomes a Wine prefix (platform/wine/
winemachine.py) made from the run's template, and cplwine plays the script
on the real sheet.  BUILD is the win32 build directory; the template and the
display are the ones the wine.setup test made in BUILD/wine-tier.
"""

import os
import subprocess
import sys
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE_DIR / "tests" / "sessions"))
sys.path.insert(0, str(SOURCE_DIR / "platform" / "wine"))

import run_session  # noqa: E402
import winemachine  # noqa: E402


def tier_directory(build):
    return Path(build) / "wine-tier"


class WineRunner:
    """cplwine of the win32 build, under Wine, in a prefix made of the machine."""

    name = "wine"
    runs_host_only = False
    KEPT = ("PATH", "HOME", "TMPDIR", "USER", "LANG")

    def __init__(self, args):
        if not args.bin or not args.cpl:
            raise run_session.SessionError("the wine runner needs --bin (the win32 build) and --cpl")
        self.build = Path(args.bin).resolve()
        self.cpl = Path(args.cpl)
        self.tier = tier_directory(self.build)
        self.cplwine = self.build / "platform" / "wine" / "cplwine" / "cplwine.exe"
        try:
            self.display = winemachine.read_display(self.tier)
        except winemachine.WineError as error:
            raise run_session.SessionError(str(error))

    def prefix(self, root):
        return Path(root).parent / "wine-prefix"

    def install(self, root):
        target = run_session.machine_path(root, run_session.APPLET_PATH, create_dirs=True)
        target.write_bytes(self.cpl.read_bytes())

    def base_environment(self, root):
        base = {name: value for name, value in os.environ.items() if name in self.KEPT}
        env = winemachine.wine_environment(self.prefix(root), self.display, base)
        env["HOSTWIN_ROOT"] = str(Path(root).resolve())
        return env

    def run(self, root, work, script, env):
        # The prefix is made once the session's files are in place: its
        # registry comes from the machine's registry.reg.
        try:
            winemachine.make_prefix(self.tier / "template", self.build, root, self.prefix(root))
        except winemachine.WineError as error:
            raise run_session.SessionError(str(error))
        command = ["wine", str(self.cplwine), "--script", winemachine.windows_name(script),
                   "SHELL32.DLL,Control_RunDLL", "zpcfgpnl.CPL"]
        try:
            return subprocess.run(command, env=env, cwd=work, stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=run_session.TIMEOUT_SECONDS)
        finally:
            winemachine.end_server(env)

    def log_path(self, root):
        return Path(root) / "requests.log"


run_session.RUNNERS["wine"] = WineRunner

if __name__ == "__main__":
    sys.exit(run_session.main(["--runner", "wine"] + sys.argv[1:]))
