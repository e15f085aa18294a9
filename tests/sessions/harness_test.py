"""The session harness itself: what a session sets up reaches the machine
byte for byte, and every difference after the run is reported."""

import subprocess
import tempfile
import unittest
from pathlib import Path

from run_session import APPLET_PATH, SessionError, machine_path, parse_session, run_session


class FakeRunner:
    """Stands in for cplhost: notes what the run was given and lets the test
    act on the machine, answering the test's transcript and status."""

    name = "fake"
    runs_host_only = True

    def __init__(self, act=None):
        self.act = act or (lambda root: (b"", 0))
        self.env = None
        self.script = None

    def install(self, root):
        machine_path(root, APPLET_PATH, create_dirs=True).write_bytes(b"the applet")

    def base_environment(self, root):
        return {"HOSTWIN_ROOT": str(root), "ZENOPHASE": "from the caller"}

    def log_path(self, root):
        return Path(root) / "requests.log"

    def run(self, root, work, script, env):
        self.env = env
        self.script = Path(script).read_bytes()
        stdout, status = self.act(Path(root))
        return subprocess.CompletedProcess([], status, stdout, b"what cplhost said\n")


def make_machine(base):
    machine = Path(base) / "source"
    (machine / "drive_c" / "Harmpnp").mkdir(parents=True)
    (machine / "drive_c" / "Harmpnp" / "zp.ini").write_bytes(b"[old]\r\n")
    (machine / "drive_c" / "WINDOWS" / "SYSTEM").mkdir(parents=True)
    (machine / "drive_c" / "GONE.TXT").write_bytes(b"x")
    (machine / "drive_c" / "KEEP.TXT").write_bytes(b"keep\r\n")
    (machine / "card.ini").write_bytes(b"[devices]\n")
    (machine / "requests.log").write_bytes(b"1\n")
    return machine


def run(text, act=None):
    """Runs the session text on a fresh fake machine; answers the report and
    the runner."""
    with tempfile.TemporaryDirectory() as base:
        machine = make_machine(base)
        session = parse_session(text.encode("latin-1"), "test.session")
        session.machine = str(machine)
        runner = FakeRunner(act)
        work = Path(base) / "work"
        work.mkdir()
        return run_session(session, runner, work), runner


class Setup(unittest.TestCase):
    def test_setup_reaches_the_machine_byte_exactly(self):
        seen = {}

        def act(root):
            for name in ("drive_c/Harmpnp/zp.ini", "drive_c/X.BAT", "drive_c/new/dir/a.txt", "card.ini",
                         "registry.reg", "drive_c/WINDOWS/SYSTEM/ZPCFGPNL.CPL"):
                seen[name] = (root / name).read_bytes()
            seen["HARMPNP made"] = (root / "drive_c" / "HARMPNP").exists()
            seen["GONE.TXT"] = (root / "drive_c" / "GONE.TXT").exists()
            seen["requests.log"] = (root / "requests.log").exists()
            return b"", 0

        report, runner = run(
            "# setup of every kind\n"
            "file C:\\HARMPNP\\ZP.INI\n[setup 0]\neffects=on\nend\n"
            "rawfile C:\\X.BAT\n@echo off\n\\z\nend\n"
            "file c:\\new\\dir\\a.txt\nend\n"
            "card\n[devices]\nvzpd=present\nend\n"
            "file registry.reg\nREGEDIT4\nend\n"
            "remove C:\\GONE.TXT\n"
            "env HARMNAIR=A220 I5\n"
            "unenv ZENOPHASE\n"
            "script\n# comment kept\npage General\nend\n",
            act)
        self.assertEqual(report, [])
        self.assertEqual(seen["drive_c/Harmpnp/zp.ini"], b"[setup 0]\r\neffects=on\r\n")
        self.assertFalse(seen["HARMPNP made"], "an existing directory is matched without regard to case")
        self.assertEqual(seen["drive_c/X.BAT"], b"@echo off\n\x1a")
        self.assertEqual(seen["drive_c/new/dir/a.txt"], b"")
        self.assertEqual(seen["card.ini"], b"[devices]\nvzpd=present\n")
        self.assertEqual(seen["registry.reg"], b"REGEDIT4\r\n")
        self.assertEqual(seen["drive_c/WINDOWS/SYSTEM/ZPCFGPNL.CPL"], b"the applet")
        self.assertFalse(seen["GONE.TXT"])
        self.assertFalse(seen["requests.log"], "the log of the machine's past is not this run's")
        self.assertEqual(runner.env.get("HARMNAIR"), "A220 I5")
        self.assertNotIn("ZENOPHASE", runner.env)
        self.assertEqual(runner.script, b"# comment kept\npage General\n")

    def test_zenophase_is_set_by_default(self):
        report, runner = run("script\nend\n")
        self.assertEqual(report, [])
        self.assertEqual(runner.env["ZENOPHASE"], "C:\\HARMPNP\\ZP.INI")


EXPECTING = (
    "transcript\nbox \"Caption\" \"Text\" -> ok\nsheet 1\nend\n"
    "expect-file C:\\HARMPNP\\ZP.INI\n[new]\nend\n"
    "expect-unchanged C:\\KEEP.TXT\n"
    "expect-log\n1\n15 zp8a1\nend\n"
    "exit 0\n")


def good(root):
    (root / "drive_c" / "Harmpnp" / "zp.ini").write_bytes(b"[new]\r\n")
    (root / "requests.log").write_bytes(b"1\n15 zp8a1\n")
    return b"box \"Caption\" \"Text\" -> ok\nsheet 1\n", 0


def changed(**changes):
    def act(root):
        stdout, status = good(root)
        if "stdout" in changes:
            stdout = changes["stdout"]
        if "status" in changes:
            status = changes["status"]
        if "ini" in changes:
            (root / "drive_c" / "Harmpnp" / "zp.ini").write_bytes(changes["ini"])
        if "remove_ini" in changes:
            (root / "drive_c" / "Harmpnp" / "zp.ini").unlink()
        if "keep" in changes:
            (root / "drive_c" / "KEEP.TXT").write_bytes(changes["keep"])
        if "log" in changes:
            (root / "requests.log").write_bytes(changes["log"])
        if "remove_log" in changes:
            (root / "requests.log").unlink()
        return stdout, status
    return act


class Comparison(unittest.TestCase):
    def test_a_matching_run_reports_nothing(self):
        report, _ = run(EXPECTING, good)
        self.assertEqual(report, [])

    def test_every_difference_is_reported(self):
        cases = [
            (changed(status=2), "cplhost ended with status 2, expected 0"),
            (changed(stdout=b"sheet 1\n"), "the transcript differs (first at line 1)"),
            (changed(stdout=b"box \"Caption\" \"Text\" -> ok\nsheet 1"), "sheet 1   (no line end)"),
            (changed(ini=b"[new]\n"), "C:\\HARMPNP\\ZP.INI differs"),
            (changed(ini=b"[new]\r\n\x1a"), "\\z   (no line end)"),
            (changed(remove_ini=True), "C:\\HARMPNP\\ZP.INI does not exist after the run"),
            (changed(keep=b"keep\n"), "C:\\KEEP.TXT (expected unchanged) differs"),
            (changed(log=b"1\n15 zp8a2\n"), "requests.log differs (first at line 2)"),
            (changed(remove_log=True), "requests.log differs"),
        ]
        for act, says in cases:
            report, _ = run(EXPECTING, act)
            text = "\n".join(report)
            self.assertIn(says, text, f"the report:\n{text}")
            self.assertIn("what cplhost said", text, "cplhost's own messages go with a difference")

    def test_got_and_expected_are_shown_side_by_side(self):
        report, _ = run(EXPECTING, changed(stdout=b"box \"Caption\" \"Text\" -> ok\nsheet 0\n"))
        self.assertEqual(report[:7], [
            "the transcript differs (first at line 2):",
            "  expected:",
            "    box \"Caption\" \"Text\" -> ok",
            "  > sheet 1",
            "  got:",
            "    box \"Caption\" \"Text\" -> ok",
            "  > sheet 0",
        ])

    def test_an_empty_log_block_means_no_request(self):
        report, _ = run("expect-log\nend\n")
        self.assertEqual(report, [])
        report, _ = run("expect-log\nend\n", changed(log=b"16\n"))
        self.assertIn("requests.log differs", "\n".join(report))

    def test_a_file_that_appears_is_not_unchanged(self):
        def create(root):
            (root / "drive_c" / "NEW.TXT").write_bytes(b"")
            return b"", 0
        report, _ = run("expect-unchanged C:\\NEW.TXT\n", create)
        self.assertEqual(report, ["C:\\NEW.TXT was created by the run", "cplhost said:", "  what cplhost said"])


class FaultySessions(unittest.TestCase):
    def test_faulty_session_files_are_refused(self):
        cases = [
            ("script\npage General\n", "test.session:1: the block has no end line"),
            ("scripts\nend\n", "test.session:1: unknown directive 'scripts'"),
            ("\n\nexit two\n", "test.session:3: exit needs a number"),
            ("env ZENOPHASE\n", "env needs NAME=VALUE"),
            ("file\nend\n", "file needs a path"),
            ("script\nend\nscript\nend\n", "script given twice"),
        ]
        for text, says in cases:
            with self.assertRaises(SessionError) as caught:
                parse_session(text.encode(), "test.session")
            self.assertIn(says, str(caught.exception))

    def test_paths_outside_the_machine_are_refused(self):
        for path in ("C:", "C:relative", "/etc/passwd", "..\\x", "drive_c/../../x"):
            with self.assertRaises(SessionError, msg=path):
                machine_path("/machine", path)


if __name__ == "__main__":
    unittest.main()
