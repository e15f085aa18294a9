#!/usr/bin/env python3
"""Compares the host layer's profile functions with Wine's, case by case.

    compare.py --bin WIN32_BUILD --host HOST_BUILD [corpus.txt]

profcorpus runs the corpus once on the host build (on an empty machine) and
once under Wine in one of the run's shared prefixes; every case must print
the same.  The cases of known-differences.txt may differ (and must: a case
that no longer differs is to be taken off the list); each is printed with
both outputs, so that the list can be checked against what the programs do.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_DIR = HERE.parents[2]
sys.path.insert(0, str(SOURCE_DIR / "platform" / "wine"))
import winemachine  # noqa: E402


def cases(output):
    """The output split into cases: name -> lines."""
    found, name = {}, None
    for line in output.decode("latin-1").splitlines():
        if line.startswith("case "):
            name = line[5:]
            found[name] = []
        elif name is not None:
            found[name].append(line)
    return found


def known_differences(path):
    known = {}
    for line in path.read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            name, _, reason = line.partition(":")
            known[name.strip()] = reason.strip()
    return known


def run_host(host_build, corpus, work):
    program = Path(host_build) / "platform" / "wine" / "profcorpus"
    if not program.exists():
        raise SystemExit(f"compare: no host profcorpus in {host_build} (build the host preset first)")
    machine = work / "host-machine"
    (machine / "drive_c").mkdir(parents=True)
    env = {"PATH": os.environ.get("PATH", ""), "HOSTWIN_ROOT": str(machine)}
    with open(corpus, "rb") as stdin:
        result = subprocess.run([str(program)], env=env, stdin=stdin, capture_output=True, timeout=60)
    if result.returncode != 0:
        raise SystemExit(f"compare: the host profcorpus failed: {result.stderr.decode('latin-1')}")
    return result.stdout


def run_wine(win32_build, corpus, work):
    tier = Path(win32_build) / "wine-tier"
    machine = work / "wine-machine"
    (machine / "drive_c").mkdir(parents=True)
    program = Path(win32_build) / "platform" / "wine" / "profcorpus.exe"
    keeper = Path(win32_build) / "tests" / "windows" / "keeper.exe"
    with winemachine.Slot(tier, tier / "template", keeper) as slot:
        slot.prepare(win32_build, machine)
        env = slot.environment({"PATH": os.environ.get("PATH", ""), "HOME": os.environ.get("HOME", "/"),
                                "HOSTWIN_ROOT": str(machine)})
        with open(corpus, "rb") as stdin:
            result = subprocess.run(["wine", str(program)], env=env, stdin=stdin, capture_output=True, timeout=60)
    if result.returncode != 0:
        raise SystemExit(f"compare: profcorpus under Wine failed: {result.stderr.decode('latin-1')}")
    return result.stdout


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the win32 build directory")
    parser.add_argument("--host", required=True, help="the host build directory")
    parser.add_argument("corpus", nargs="?", default=str(HERE / "corpus.txt"))
    args = parser.parse_args(argv)
    work = Path(tempfile.mkdtemp(prefix="profile-compare-"))
    try:
        host = cases(run_host(args.host, args.corpus, work))
        wine = cases(run_wine(str(Path(args.bin).resolve()), args.corpus, work))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    known = known_differences(HERE / "known-differences.txt")

    failures = []
    if list(host) != list(wine):
        failures.append(f"the two runs have different cases: host {list(host)}, wine {list(wine)}")
    for name in host:
        same = host[name] == wine.get(name)
        if same and name in known:
            failures.append(f"{name}: listed as a known difference but the host and Wine now agree")
        elif not same:
            heading = f"{name}: known difference: {known[name]}" if name in known else f"{name}: DIFFERS"
            print(heading)
            for label, lines in (("host", host[name]), ("wine", wine.get(name, []))):
                print(f"  {label}:")
                for line in lines:
                    print(f"    {line}")
            if name not in known:
                failures.append(f"{name}: the host and Wine differ")
    for name in known:
        if name not in host:
            failures.append(f"{name}: listed as a known difference but not in the corpus")
    print(f"{len(host)} cases, {sum(host[n] == wine.get(n) for n in host)} alike")
    for failure in failures:
        print(f"FAILED {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
