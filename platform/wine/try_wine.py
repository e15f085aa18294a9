#!/usr/bin/env python3
"""The real applet under Wine on a fresh copy of the sample machine, for a
person at a display, opened the way the system opens it: through panelrun.exe.

    try_wine.py --bin WIN32_BUILD

The machine is made anew in WIN32_BUILD/try-machine; its C:\\WINDOWS\\RUNDLL32.EXE
is cplwine (the shell's runner for a person, as cplhost is on the host), and
the card is the sample machine's (requests.log shows what the applet asked).
Ends when the applet is closed.
"""

import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

import winemachine


def main(argv):
    parser = argparse.ArgumentParser(description="The applet under Wine, at your display.")
    parser.add_argument("--bin", required=True, help="the win32 build directory")
    args = parser.parse_args(argv)
    if not os.environ.get("DISPLAY"):
        print("try_wine: no DISPLAY; run it where a window can be shown", file=sys.stderr)
        return 1
    build = Path(args.bin).resolve()
    template = build / "try-template"
    machine, prefix = build / "try-machine", build / "try-prefix"
    try:
        if not (template / "sample").is_dir():
            print("try_wine: making the Wine prefix template (once)")
            winemachine.make_template(template, winemachine.SOURCE_DIR / "samples" / "machine")
        if machine.exists():
            shutil.rmtree(machine)
        shutil.copytree(winemachine.SOURCE_DIR / "samples" / "machine", machine, symlinks=True)
        winemachine.make_prefix(template, build, machine, prefix)
        shutil.copyfile(build / "platform" / "wine" / "cplwine" / "cplwine.exe",
                        winemachine.machine_path(machine, "C:\\WINDOWS\\RUNDLL32.EXE"))
    except (winemachine.WineError, OSError) as error:
        print(f"try_wine: {error}", file=sys.stderr)
        return 1
    env = winemachine.wine_environment(prefix, os.environ["DISPLAY"])
    env.update(HOSTWIN_ROOT=str(machine), ZENOPHASE="C:\\HARMPNP\\ZP.INI")
    print(f"try_wine: the machine is {machine}")
    subprocess.run(["wine", "C:\\WINDOWS\\SYSTEM\\PANELRUN.EXE"], env=env, stdin=subprocess.DEVNULL)
    # panelrun does not wait for the runner; the prefix's server ends with it.
    subprocess.run(["wineserver", "-w"], env=env)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
