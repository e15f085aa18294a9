"""cplhost at a terminal: it shows the page, takes commands at its prompt,
asks for the answer to a question box, keeps going after a mistake, and
speaks the terminal's UTF-8.

    interactive_test.py CPLHOST ZPCFGPNL.CPL MACHINE
"""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import termios
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "sessions"))
from run_session import APPLET_PATH, machine_path  # noqa: E402

TYPED = (
    "help\n"
    "clik 1005\n"
    "click 2002\n"
    "expect 1005 text \"1\"\n"
    "page Advanced\n"
    "click 5001\n"
    "ok\n"
    "cancel\n"
    "expect 5001 unchecked\n"
    "page General\n"
    "select 2001 Fran\u00e7ais\n"
    "expect 2001 selected \"Fran\u00e7ais\"\n"
    "cancel\n"
)

# What the terminal must show, in this order.
SHOWN = [
    "Resources page",
    "   1005  edit",
    "cplhost> ",
    "page NAME            select the tab",
    "unknown command \"clik\"",
    "the Resources page has no control 2002",
    "as expected",
    "Advanced page",
    "   5001  check box  ",
    "message box \"Warning\"",
    "answer (ok, cancel)? ",
    "box \"Warning\" \"Settings on the Advanced page",
    "-> cancel",
    "as expected",
    "General page",
    "\"Fran\u00e7ais\"",
    "as expected",
    "sheet 0",
]


def main(cplhost, cpl, machine):
    work = Path(tempfile.mkdtemp(prefix="interactive-"))
    try:
        root = work / "machine"
        shutil.copytree(machine, root, symlinks=True)
        shutil.copyfile(cpl, machine_path(root, APPLET_PATH, create_dirs=True))
        # A UTF-8 terminal: cplhost shows and takes the applet's Windows-1252
        # texts in UTF-8.
        env = {"PATH": os.environ.get("PATH", ""), "LC_ALL": "C.UTF-8", "HOSTWIN_ROOT": str(root),
               "HOSTWIN_BIN": str(Path(cplhost).parent), "ZENOPHASE": "C:\\HARMPNP\\ZP.INI"}
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                env[name] = os.environ[name]
        master, slave = os.openpty()
        attributes = termios.tcgetattr(slave)
        attributes[3] &= ~termios.ECHO  # the output shows cplhost's side only
        termios.tcsetattr(slave, termios.TCSANOW, attributes)
        process = subprocess.Popen([cplhost, "SHELL32.DLL,Control_RunDLL", "zpcfgpnl.CPL"], env=env,
                                   stdin=slave, stdout=slave, stderr=slave, close_fds=True)
        os.close(slave)
        os.write(master, TYPED.encode("utf-8"))
        output = b""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.5)
            if ready:
                try:
                    chunk = os.read(master, 65536)
                except OSError:
                    break  # the terminal's other end closed
                if not chunk:
                    break
                output += chunk
            elif process.poll() is not None:
                break
        os.close(master)
        try:
            status = process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            print("cplhost did not end")
            return 1
        text = output.decode("utf-8", "replace").replace("\r\n", "\n")
        position = 0
        for expected in SHOWN:
            found = text.find(expected, position)
            if found < 0:
                print(f"the terminal did not show {expected!r} after position {position}; it showed:\n{text}")
                return 1
            position = found + len(expected)
        if status != 0:
            print(f"cplhost ended with status {status}; the terminal showed:\n{text}")
            return 1
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
