#!/usr/bin/env python3
"""Runs one session file with the Windows build under Wine.

    run_wine_session.py --bin BUILD --cpl FILE [--keep] NAME.session

The same harness as the host's (tests/sessions/run_session.py) with its
runner "wine": the machine copy becomes the C: of one of the run's shared
Wine prefixes (platform/wine/winemachine.py, Slot), and cplwine plays the
script on the real sheet.  BUILD is the win32 build directory; the template
and the display are the ones the wine.display and wine.template tests made
in BUILD/wine-tier.
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
        self.keeper = self.build / "tests" / "windows" / "keeper.exe"
        try:
            # The run's display marks that the tier's set-up has run.
            winemachine.read_display(self.tier)
        except winemachine.WineError as error:
            raise run_session.SessionError(str(error))

    def install(self, root):
        target = run_session.machine_path(root, run_session.APPLET_PATH, create_dirs=True)
        target.write_bytes(self.cpl.read_bytes())

    def base_environment(self, root):
        env = {name: value for name, value in os.environ.items() if name in self.KEPT}
        env["HOSTWIN_ROOT"] = str(Path(root).resolve())
        return env

    def run(self, root, work, script, env):
        # The slot is prepared once the session's files are in place: its
        # registry comes from the machine's registry.reg.
        try:
            with winemachine.Slot(self.tier, self.tier / "template", self.keeper) as slot:
                slot.prepare(self.build, root)
                command = ["wine", str(self.cplwine), "--script", winemachine.windows_name(script),
                           "SHELL32.DLL,Control_RunDLL", "zpcfgpnl.CPL"]
                return subprocess.run(command, env=slot.environment(env), cwd=work, stdin=subprocess.DEVNULL,
                                      capture_output=True, timeout=run_session.TIMEOUT_SECONDS)
        except winemachine.WineError as error:
            raise run_session.SessionError(str(error))

    def log_path(self, root):
        return Path(root) / "requests.log"


run_session.RUNNERS["wine"] = WineRunner

if __name__ == "__main__":
    sys.exit(run_session.main(["--runner", "wine"] + sys.argv[1:]))
