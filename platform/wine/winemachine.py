#!/usr/bin/env python3
"""Wine prefixes for machine directories, and the headless display they use.

    winemachine.py template DIR [--machine samples/machine]
        Makes the template in DIR once per test run: a 32-bit Wine prefix whose
        Windows version is win98, its registry as it comes (bare/) and with the
        machine's registry.reg imported (sample/).
    winemachine.py prefix --template DIR --bin BUILD MACHINE PREFIX
        Turns the machine directory MACHINE into the Wine prefix PREFIX: C: is
        MACHINE/drive_c, the registry is the template's with MACHINE's
        registry.reg imported, and the built binaries and the card's drivers are
        installed.  Cheap: the template's system files are linked, not copied.
    winemachine.py display-start STATE | display-stop STATE
        Starts (stops) an Xvfb server for the run; STATE/display holds its name.
    winemachine.py wine --prefix PREFIX [--display STATE] -- ARGS...
        Runs wine ARGS in the prefix and then ends the prefix's server.
    winemachine.py slots-stop STATE
        Ends the servers and displays of the run's shared prefixes (see Slot).

What goes where in a prefix (paths as Windows sees them):
    C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL            the applet
    C:\\WINDOWS\\SYSTEM\\VZPD.VXD, SETHARMO.VXD  the card's drivers; each loads
                                              only while card.ini marks its
                                              device present
    C:\\WINDOWS\\SYSTEM\\BOOTSYNC.EXE, PANELRUN.EXE
    C:\\WINDOWS\\system32                      Wine's own system files (a link)
The machine directory's requests.log and card.ini are where the host layer
has them; the drivers find the machine through HOSTWIN_ROOT.
"""

import argparse
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[2]
HIVES = ("system.reg", "user.reg", "userdef.reg", ".update-timestamp")
# Built file (relative to the build directory) -> DOS path on the machine.
INSTALLED = (
    ("applet/zpcfgpnl.cpl", "C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL"),
    ("card/vxd/vzpd.vxd", "C:\\WINDOWS\\SYSTEM\\VZPD.VXD"),
    ("card/vxd/setharmo.vxd", "C:\\WINDOWS\\SYSTEM\\SETHARMO.VXD"),
    ("bootsync/bootsync.exe", "C:\\WINDOWS\\SYSTEM\\BOOTSYNC.EXE"),
    ("launcher/panelrun.exe", "C:\\WINDOWS\\SYSTEM\\PANELRUN.EXE"),
)
WINE_STEP_SECONDS = 120
DESKTOP_SIZE = "1024x768"


class WineError(Exception):
    pass


def wine_environment(prefix, display=None, base=None):
    """The environment for Wine programs in prefix: quiet, no installers of
    Mono or Gecko, no menu entries, and the run's display."""
    env = dict(os.environ if base is None else base)
    env["WINEPREFIX"] = str(prefix)
    env["WINEARCH"] = "win32"
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml,winemenubuilder.exe="
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def run_wine(args, env, what):
    try:
        result = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=WINE_STEP_SECONDS)
    except subprocess.TimeoutExpired:
        raise WineError(f"{what} did not end within {WINE_STEP_SECONDS} seconds")
    if result.returncode != 0:
        raise WineError(f"{what} failed ({result.returncode}): {result.stderr.decode('latin-1').strip()}")


def end_server(env):
    """Ends the wineserver of env's prefix (only that one)."""
    subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, capture_output=True)
    subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, capture_output=True)


def windows_name(path):
    """The Z: name of a Unix path, as Wine's default prefix maps it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def ascii_fold(name):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)


def machine_path(root, dos_path):
    """The file of the machine at root that a DOS path names, each name matched
    ignoring ASCII case; names that do not exist keep their spelling and the
    missing directories are made."""
    current = Path(root) / ("drive_" + dos_path[0].lower())
    parts = [part for part in dos_path[3:].split("\\") if part]
    for position, part in enumerate(parts):
        match = None
        if current.is_dir():
            match = next((entry for entry in os.listdir(current) if ascii_fold(entry) == ascii_fold(part)), None)
        current = current / (match or part)
        if position < len(parts) - 1:
            current.mkdir(parents=True, exist_ok=True)
    return current


def save_hives(prefix, target):
    target.mkdir(parents=True, exist_ok=True)
    for name in HIVES:
        shutil.copyfile(Path(prefix) / name, target / name)


def make_template(directory, machine):
    """A fresh template in directory (anything there before is removed)."""
    directory = Path(directory).resolve()
    if directory.exists():
        shutil.rmtree(directory)
    prefix = directory / "prefix"
    directory.mkdir(parents=True)
    env = wine_environment(prefix)
    run_wine(["wineboot", "-i"], env, "wineboot")
    run_wine(["wine", "reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", "win98", "/f"], env,
             "setting the Windows version")
    # One virtual desktop window on the display: without a window manager
    # every hidden top-level window would cost a two-second wait otherwise.
    run_wine(["wine", "reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/d", "Default", "/f"],
             env, "choosing the virtual desktop")
    run_wine(["wine", "reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default", "/d",
              DESKTOP_SIZE, "/f"], env, "sizing the virtual desktop")
    end_server(env)
    save_hives(prefix, directory / "bare")
    registry = Path(machine) / "registry.reg"
    if registry.exists():
        run_wine(["wine", "reg", "import", windows_name(registry)], env, f"importing {registry}")
        end_server(env)
        shutil.copyfile(registry, directory / "sample.reg")
    save_hives(prefix, directory / "sample")


def link(target, name):
    """Points the symbolic link name at target, replacing what was there."""
    temporary = Path(str(name) + ".new")
    if temporary.is_symlink() or temporary.exists():
        temporary.unlink()
    os.symlink(target, temporary)
    os.replace(temporary, name)


def prepare_machine(template, build, machine):
    """What Wine needs on the machine's C: and the built binaries there."""
    # Wine's own programs and libraries are found in C:\WINDOWS\system32.
    system32 = machine_path(machine, "C:\\WINDOWS\\system32")
    if not system32.exists():
        os.symlink(Path(template) / "prefix" / "drive_c" / "windows" / "system32", system32)
    for built, dos_path in INSTALLED:
        source = Path(build) / built
        if source.exists():
            shutil.copyfile(source, machine_path(machine, dos_path))


def registry_of(template, machine):
    """The template hives a machine starts from, and the registry.reg still
    to be imported on top of them (or None)."""
    registry = Path(machine) / "registry.reg"
    sample = Path(template) / "sample.reg"
    if not registry.exists():
        return Path(template) / "bare", None
    if sample.exists() and registry.read_bytes() == sample.read_bytes():
        return Path(template) / "sample", None
    return Path(template) / "bare", registry


def make_prefix(template, build, machine, prefix):
    """Turns the machine directory into the Wine prefix (made anew)."""
    template, machine, prefix = Path(template).resolve(), Path(machine).resolve(), Path(prefix).resolve()
    if prefix.exists():
        shutil.rmtree(prefix)
    (prefix / "dosdevices").mkdir(parents=True)
    (machine / "drive_c").mkdir(exist_ok=True)
    os.symlink(machine / "drive_c", prefix / "dosdevices" / "c:")
    os.symlink("/", prefix / "dosdevices" / "z:")
    prepare_machine(template, build, machine)
    hives, registry = registry_of(template, machine)
    for name in HIVES:
        shutil.copyfile(hives / name, prefix / name)
    if registry:
        run_wine(["wine", "reg", "import", windows_name(registry)], wine_environment(prefix),
                 f"importing {registry}")


class Slot:
    """One of the run's shared prefixes.  A test claims a free slot for its
    whole run (a lock held by its process); the slot's Wine session stays up
    between tests, held open by the keeper program, so that a test pays only
    for its own program.  Each test points the slot's C: at its own machine;
    the registry is reset only when the machine's registry.reg differs from
    the one the slot holds."""

    def __init__(self, state, template, keeper):
        self.state, self.template = Path(state).resolve(), Path(template).resolve()
        self.keeper = Path(keeper)
        self.lock = None
        self.prefix = None
        self.display = None

    def __enter__(self):
        slots = self.state / "slots"
        slots.mkdir(parents=True, exist_ok=True)
        for number in range(64):
            handle = open(slots / f"{number}.lock", "w")
            try:
                fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                handle.close()
                continue
            self.lock, self.prefix = handle, slots / str(number)
            self.display = self.own_display(slots / f"{number}-display")
            return self
        raise WineError("no free Wine slot")

    def __exit__(self, *exc):
        self.lock.close()
        return False

    @staticmethod
    def own_display(state):
        """A display of the slot's own: the mouse pointer is the display's,
        and a test that places it must not have it moved by another."""
        try:
            os.kill(int((state / "xvfb.pid").read_text()), 0)
            return read_display(state)
        except (FileNotFoundError, ValueError, ProcessLookupError, WineError):
            display_start(state)
            return read_display(state)

    def environment(self, base=None):
        return wine_environment(self.prefix, self.display, base)

    def prepare(self, build, machine):
        machine = Path(machine).resolve()
        (machine / "drive_c").mkdir(exist_ok=True)
        prepare_machine(self.template, build, machine)
        hives, registry = registry_of(self.template, machine)
        wanted = f"{hives.name}:{registry.read_bytes().hex() if registry else ''}"
        held = self.prefix / "registry.held"
        env = self.environment()
        (self.prefix / "dosdevices").mkdir(parents=True, exist_ok=True)
        link("/", self.prefix / "dosdevices" / "z:")
        link(machine / "drive_c", self.prefix / "dosdevices" / "c:")
        if not held.exists() or held.read_text() != wanted:
            # The registry is the server's: it ends before the hives are
            # replaced.  The prefix directory itself stays, for a server is
            # known by its directory.
            end_server(env)
            (self.prefix / "keeper.pid").unlink(missing_ok=True)
            for name in HIVES:
                shutil.copyfile(hives / name, self.prefix / name)
            if registry:
                self.keep_open(env)
                run_wine(["wine", "reg", "import", windows_name(registry)], env, f"importing {registry}")
            held.write_text(wanted)
        self.keep_open(env)

    def keep_open(self, env):
        pid_file = self.prefix / "keeper.pid"
        try:
            os.kill(int(pid_file.read_text()), 0)
            return
        except (FileNotFoundError, ValueError, ProcessLookupError):
            pass
        # The first program of a session starts Wine's services, which keep
        # its standard handles: a program that ends at once, with none, starts
        # them, so that no test's output pipe stays open after its program.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            subprocess.run(["wine", str(self.keeper), windows_name(self.prefix / "no-such-file")], env=env,
                           timeout=WINE_STEP_SECONDS, **quiet)
        except subprocess.TimeoutExpired:
            raise WineError("the Wine session did not start")
        keeper = subprocess.Popen(["wine", str(self.keeper), windows_name(self.state / "display")], env=env,
                                  start_new_session=True, **quiet)
        pid_file.write_text(f"{keeper.pid}\n")


def stop_slots(state):
    """Ends the Wine sessions of every slot."""
    slots = Path(state) / "slots"
    if not slots.is_dir():
        return
    for prefix in slots.iterdir():
        if prefix.name.endswith("-display"):
            display_stop(prefix)
        elif prefix.is_dir():
            end_server(wine_environment(prefix))


def display_start(state):
    state = Path(state)
    state.mkdir(parents=True, exist_ok=True)
    display_stop(state)
    read_end, write_end = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", DESKTOP_SIZE + "x24", "-nolisten",
                                "tcp"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 30
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        process.kill()
        raise WineError("Xvfb did not start")
    (state / "xvfb.pid").write_text(f"{process.pid}\n")
    (state / "display").write_text(f":{number.strip().decode()}\n")


def display_stop(state):
    pid_file = Path(state) / "xvfb.pid"
    if pid_file.exists():
        try:
            os.kill(int(pid_file.read_text()), signal.SIGTERM)
        except (ValueError, ProcessLookupError):
            pass
        pid_file.unlink()
    display = Path(state) / "display"
    if display.exists():
        display.unlink()


def read_display(state):
    try:
        return (Path(state) / "display").read_text().strip()
    except FileNotFoundError:
        raise WineError(f"no display started in {state} (winemachine.py display-start)")


def main(argv):
    parser = argparse.ArgumentParser(description="Wine prefixes for machine directories.")
    commands = parser.add_subparsers(dest="command", required=True)
    template = commands.add_parser("template")
    template.add_argument("directory")
    template.add_argument("--machine", default=str(SOURCE_DIR / "samples" / "machine"))
    prefix = commands.add_parser("prefix")
    prefix.add_argument("--template", required=True)
    prefix.add_argument("--bin", required=True, help="the win32 build directory")
    prefix.add_argument("machine")
    prefix.add_argument("prefix")
    for name in ("display-start", "display-stop", "slots-stop"):
        commands.add_parser(name).add_argument("state")
    wine = commands.add_parser("wine")
    wine.add_argument("--prefix", required=True)
    wine.add_argument("--display")
    wine.add_argument("args", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    try:
        if args.command == "template":
            make_template(args.directory, args.machine)
        elif args.command == "prefix":
            make_prefix(args.template, args.bin, args.machine, args.prefix)
        elif args.command == "display-start":
            display_start(args.state)
        elif args.command == "display-stop":
            display_stop(args.state)
        elif args.command == "slots-stop":
            stop_slots(args.state)
        elif args.command == "wine":
            wine_args = args.args[1:] if args.args[:1] == ["--"] else args.args
            env = wine_environment(args.prefix, read_display(args.display) if args.display else None)
            try:
                return subprocess.run(["wine"] + wine_args, env=env).returncode
            finally:
                end_server(env)
    except (WineError, OSError) as error:
        print(f"winemachine: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
