#!/usr/bin/env python3
"""bootsync.exe and panelrun.exe under Wine, on fresh copies of the sample machine.

    programs_test.py --bin WIN32_BUILD [--host HOST_BUILD] bootsync|panelrun

bootsync: every file of the machine after the Windows program's run is byte
for byte what the host build's bootsync leaves on another copy of the same
machine (HOST_BUILD/bootsync/bootsync), and the card's helper driver being
absent leaves every file as it was.  panelrun: the runner it starts, a
recording RUNDLL32.EXE, is given the shell's command line.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE_DIR / "platform" / "wine"))
import winemachine  # noqa: E402

SAMPLE = SOURCE_DIR / "samples" / "machine"
OPTIONS = None
# What Wine adds to a machine's C: for itself.
WINE_OWN = ("windows/system32", "users")


def machine_files(root):
    """Every file of the machine directory: relative path -> bytes."""
    files = {}
    for path in sorted(Path(root).rglob("*")):
        relative = path.relative_to(root).as_posix()
        inside_c = relative[len("drive_c/"):].lower() if relative.startswith("drive_c/") else None
        if inside_c and any(inside_c == own or inside_c.startswith(own + "/") for own in WINE_OWN):
            continue
        if path.is_file() and not path.is_symlink():
            files[relative] = path.read_bytes()
    return files


class MachineCase(unittest.TestCase):
    def setUp(self):
        self.work = Path(tempfile.mkdtemp(prefix="wine-programs-"))
        self.tier = Path(OPTIONS.bin) / "wine-tier"
        winemachine.read_display(self.tier)  # the tier's set-up has run
        self.keeper = Path(OPTIONS.bin) / "tests" / "windows" / "keeper.exe"

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def machine(self, name, card=None):
        root = self.work / name
        shutil.copytree(SAMPLE, root, symlinks=True)
        if card is not None:
            (root / "card.ini").write_text(card)
        return root

    def run_wine(self, root, program, env):
        with winemachine.Slot(self.tier, self.tier / "template", self.keeper) as slot:
            slot.prepare(OPTIONS.bin, root)
            base = {name: value for name, value in os.environ.items() if name in ("PATH", "HOME")}
            base.update(env, HOSTWIN_ROOT=str(root))
            return subprocess.run(["wine", program], env=slot.environment(base), stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=60)

    def assertSameFiles(self, expected, got, what):
        if expected == got:
            return
        lines = [f"{what}:"]
        for name in sorted(set(expected) | set(got)):
            if expected.get(name) != got.get(name):
                lines.append(f"  {name}\n    expected {expected.get(name)!r}\n    got      {got.get(name)!r}")
        self.fail("\n".join(lines))


class Bootsync(MachineCase):
    PROGRAM = "C:\\WINDOWS\\SYSTEM\\BOOTSYNC.EXE"
    # Wine's COMSPEC (its registry's, whatever the caller sets); the host run
    # is given the same.
    COMSPEC = "C:\\windows\\system32\\cmd.exe"
    CASES = (
        ("the sample machine's values", {"HARMNAIR": "C:\\HARMPNP", "BLASTER": "A220 I5 D1 H5 P330 T6",
                                         "ZENOPHASE": "C:\\HARMPNP\\ZP.INI"}),
        ("no HARMNAIR, BLASTER or ZENOPHASE", {}),
        ("DOSSTART.BAT in a boot directory ending in a backslash",
         {"HARMNAIR": "D:\\CARD", "BLASTER": "A240 I7 D3", "WINBOOTDIR": "C:\\WINDOWS\\",
          "ZENOPHASE": "C:\\HARMPNP\\ZP.INI"}),
    )

    def host_run(self, root, env):
        if not OPTIONS.host:
            self.skipTest("no host build given (--host)")
        program = Path(OPTIONS.host) / "bootsync" / "bootsync"
        if not program.exists():
            self.skipTest(f"no host bootsync in {OPTIONS.host}")
        full = {"PATH": os.environ.get("PATH", ""), "HOSTWIN_ROOT": str(root), "COMSPEC": self.COMSPEC}
        full.update(env)
        return subprocess.run([str(program)], env=full, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)

    def test_files_rewritten_as_on_the_host(self):
        for number, (what, env) in enumerate(self.CASES):
            with self.subTest(what):
                host_root, wine_root = self.machine(f"host{number}"), self.machine(f"wine{number}")
                # Both copies hold the same files, the built binaries included.
                winemachine.prepare_machine(self.tier / "template", OPTIONS.bin, host_root)
                before = machine_files(host_root)
                host = self.host_run(host_root, env)
                wine = self.run_wine(wine_root, self.PROGRAM, env)
                self.assertEqual((host.returncode, wine.returncode), (1, 1), wine.stderr.decode("latin-1"))
                got = machine_files(wine_root)
                self.assertSameFiles(machine_files(host_root), got,
                                     f"{what}: the machine after bootsync differs from the host's")
                self.assertNotEqual(before["drive_c/AUTOEXEC.BAT"], got["drive_c/AUTOEXEC.BAT"],
                                    "AUTOEXEC.BAT was not rewritten")

    def test_helper_driver_absent_changes_nothing(self):
        card = (SAMPLE / "card.ini").read_text().replace("setharmo=present", "setharmo=absent")
        self.assertIn("setharmo=absent", card)
        root = self.machine("absent", card)
        winemachine.prepare_machine(self.tier / "template", OPTIONS.bin, root)
        before = machine_files(root)
        result = self.run_wine(root, self.PROGRAM, {"HARMNAIR": "C:\\NEW", "BLASTER": "A280",
                                                    "ZENOPHASE": "C:\\HARMPNP\\ZP.INI"})
        self.assertEqual(result.returncode, 1)
        self.assertSameFiles(before, machine_files(root), "files changed although SETHARMO.VXD is absent")


class Panelrun(MachineCase):
    PROGRAM = "C:\\WINDOWS\\SYSTEM\\PANELRUN.EXE"

    def install_recorder(self, root):
        recorder = Path(OPTIONS.bin) / "tests" / "windows" / "recorder.exe"
        shutil.copyfile(recorder, winemachine.machine_path(root, "C:\\WINDOWS\\RUNDLL32.EXE"))

    def wait_for(self, path, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if path.exists() and path.read_bytes().endswith(b"\n") and path.read_bytes().count(b"\n") >= 3:
                return path.read_bytes()
            time.sleep(0.05)
        return path.read_bytes() if path.exists() else None

    def test_starts_the_runner_with_the_shell_command_line(self):
        root = self.machine("present")
        self.install_recorder(root)
        result = self.run_wine(root, self.PROGRAM, {})
        self.assertEqual(result.returncode, 0)
        log = self.wait_for(root / "drive_c" / "RUNDLL32.LOG", 20)
        self.assertIsNotNone(log, "RUNDLL32.EXE was not started")
        command_line, program, windows = log.decode("latin-1").split("\n")[:3]
        runner = windows + "\\RUNDLL32.EXE"
        self.assertEqual(windows, "C:\\windows", "Wine's Windows directory")
        self.assertEqual((command_line, program.lower()),
                         (runner + " SHELL32.DLL,Control_RunDLL zpcfgpnl.CPL", runner.lower()))

    def test_nothing_to_start_without_the_runner(self):
        root = self.machine("absent")
        winemachine.machine_path(root, "C:\\WINDOWS\\RUNDLL32.EXE").unlink()
        result = self.run_wine(root, self.PROGRAM, {})
        self.assertEqual(result.returncode, 0)
        time.sleep(1)
        self.assertFalse((root / "drive_c" / "RUNDLL32.LOG").exists())


def main():
    global OPTIONS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the win32 build directory")
    parser.add_argument("--host", help="the host build directory, for what bootsync does there")
    parser.add_argument("program", choices=("bootsync", "panelrun"))
    OPTIONS = parser.parse_args()
    OPTIONS.bin = str(Path(OPTIONS.bin).resolve())
    suite = unittest.TestLoader().loadTestsFromTestCase(Bootsync if OPTIONS.program == "bootsync" else Panelrun)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    return 77 if result.skipped and result.testsRun == len(result.skipped) else 0


if __name__ == "__main__":
    sys.exit(main())
