#!/usr/bin/env python3
"""Pictures of the five pages of the real sheet, on a fresh sample machine.

    pictures.py --bin WIN32_BUILD [--out DIR]

Starts its own headless display and Wine prefix, opens the applet with
cplwine --pictures and turns what it saved into DIR/page-NAME.png (default:
the repository's docs/).  Needs wine and Xvfb; nothing else beyond Python.
"""

import argparse
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from pathlib import Path

import winemachine

PAGES = ("resources", "general", "midi", "emulation", "advanced")


def read_bmp(path):
    """Width, height and the RGB rows (top first) of a 24-bit BMP."""
    data = Path(path).read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise ValueError(f"{path}: {bits} bits per pixel")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    if height > 0:
        rows.reverse()
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                           chunk(b"IEND", b""))


def main(argv):
    parser = argparse.ArgumentParser(description="Pictures of the sheet's pages under Wine.")
    parser.add_argument("--bin", required=True, help="the win32 build directory")
    parser.add_argument("--out", default=str(winemachine.SOURCE_DIR / "docs"))
    args = parser.parse_args(argv)
    build = Path(args.bin).resolve()
    work = Path(tempfile.mkdtemp(prefix="pictures-"))
    try:
        winemachine.display_start(work)
        winemachine.make_template(work / "template", winemachine.SOURCE_DIR / "samples" / "machine")
        machine = work / "machine"
        shutil.copytree(winemachine.SOURCE_DIR / "samples" / "machine", machine, symlinks=True)
        winemachine.make_prefix(work / "template", build, machine, work / "prefix")
        shots = work / "shots"
        shots.mkdir()
        env = winemachine.wine_environment(work / "prefix", winemachine.read_display(work))
        env.update(HOSTWIN_ROOT=str(machine), ZENOPHASE="C:\\HARMPNP\\ZP.INI")
        cplwine = build / "platform" / "wine" / "cplwine" / "cplwine.exe"
        result = subprocess.run(["wine", str(cplwine), "--pictures", winemachine.windows_name(shots),
                                 "SHELL32.DLL,Control_RunDLL", "zpcfgpnl.CPL"], env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=120)
        winemachine.end_server(env)
        if result.returncode != 0:
            print(f"pictures: cplwine failed: {result.stderr.decode('latin-1')}", file=sys.stderr)
            return 1
        out = Path(args.out)
        out.mkdir(parents=True, exist_ok=True)
        for page in PAGES:
            width, height, rows = read_bmp(shots / f"{page}.bmp")
            write_png(out / f"page-{page}.png", width, height, rows)
            print(f"{out / f'page-{page}.png'}: {width} x {height}")
    except (winemachine.WineError, OSError, ValueError) as error:
        print(f"pictures: {error}", file=sys.stderr)
        return 1
    finally:
        winemachine.display_stop(work)
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
