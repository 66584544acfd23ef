#!/usr/bin/python3
"""Checks the command-line companion's files with readers of their own.

  check_outputs.py export OUT.dat ELEMENTS R0 INPUT.csv NODES.csv FILE.s1p
  check_outputs.py pdf FILE.pdf MIN_LINES TEXT...

The scan output is decoded here from its 68-byte layout; the Touchstone file is read by scikit-rf.
"""
import cmath
import csv
import math
import re
import struct
import subprocess
import sys
import zlib

import numpy

numpy.complex = complex  # scikit-rf 0.15 still names it
import skrf  # noqa: E402

TYPES = ["SeriesR", "ShuntR", "SeriesL", "ShuntL", "SeriesC", "ShuntC", "StubOpen", "StubShorted", "SerTransLine"]
PI = 3.14159  # the program's angles use this truncated pi
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def close(a, b, rel):
    return a == b or abs(a - b) <= rel * max(abs(a), abs(b))


def angle(x, y):  # radians, the program's quadrant rules
    if x == 0:
        return PI / 2 if y > 0 else -PI / 2
    a = math.atan(y / x) + (PI if x < 0 else 0)
    return a - 2 * PI if a > PI else a


def expected_row(rec, r0):
    f, vr, vi, cr, ci, zr, zi = rec[:7]
    g = abs(complex(zr - r0, zi) / complex(zr + r0, zi))
    deg = 180 / PI
    return [f, vr, vi, cr, ci, zr, zi, math.hypot(vr, vi), angle(vr, vi) * deg, math.hypot(cr, ci),
            angle(cr, ci) * deg, math.hypot(zr, zi), angle(zr, zi) * deg, (1 + g) / (1 - g)]


def check_export(out, elements, r0, input_csv, nodes_csv, s1p):
    data = open(out, "rb").read()
    records = [struct.unpack_from("<8dhh", data, k) for k in range(0, len(data), 68)]
    ends = records[elements - 1::elements]
    for name, rows, chosen, nodes in ((input_csv, None, ends, False), (nodes_csv, None, records, True)):
        rows = list(csv.reader(open(name)))
        head = ["frequency_mhz"] + (["element", "type"] if nodes else []) + [
            "voltage_re", "voltage_im", "current_re", "current_im", "impedance_re", "impedance_im", "voltage_mag",
            "voltage_phase_deg", "current_mag", "current_phase_deg", "impedance_mag", "impedance_phase_deg", "swr"]
        check(rows[0] == head, f"{name}: header {rows[0]}")
        check(len(rows) == len(chosen) + 1, f"{name}: {len(rows) - 1} rows for {len(chosen)} records")
        for k, (row, rec) in enumerate(zip(rows[1:], chosen)):
            if nodes:
                check(row[1:3] == [str(k % elements + 1), TYPES[rec[8]]], f"{name} row {k + 1}: {row[1:3]}")
                row = row[:1] + row[3:]
            got = [float(v) for v in row]
            want = expected_row(rec, r0)
            check(got[:7] == list(want[:7]), f"{name} row {k + 1}: raw values {got[:7]} != {want[:7]}")
            for c in range(7, 14):
                check(close(got[c], want[c], 1e-9) or abs(got[c] - want[c]) < 1e-9,
                      f"{name} row {k + 1} column {c}: {got[c]} != {want[c]}")
    net = skrf.Network(s1p)
    z = net.z[:, 0, 0]
    check(len(z) == len(ends), f"{s1p}: {len(z)} points for {len(ends)} steps")
    check(numpy.allclose(net.z0, r0, rtol=0, atol=0), f"{s1p}: z0 {net.z0[0]}")
    for k, rec in enumerate(ends):
        want = complex(rec[5], rec[6])
        check(abs(z[k] - want) <= 1e-12 * abs(want), f"{s1p} point {k + 1}: z {z[k]} != {want}")
        check(close(net.f[k], rec[0] * 1e6, 1e-15), f"{s1p} point {k + 1}: f {net.f[k]}")


def check_pdf(path, min_lines, texts):
    text = subprocess.run(["pdftotext", path, "-"], capture_output=True, text=True, check=True).stdout
    for t in texts:
        check(t in text.split(), f"{path}: text {t!r} not found in {text.split()}")
    images = subprocess.run(["pdfimages", "-list", path], capture_output=True, text=True, check=True).stdout
    check(len(images.strip().splitlines()) == 2, f"{path}: holds images:\n{images}")
    raw = open(path, "rb").read()
    ops = b""
    for m in re.finditer(rb"/FlateDecode.*?stream\r?\n(.*?)endstream", raw, re.S):
        try:
            ops += zlib.decompress(m.group(1))
        except zlib.error:
            pass
    lines = len(re.findall(rb"[-\d.]+ [-\d.]+ m\s+[-\d.]+ [-\d.]+ l\s", ops))
    check(lines >= int(min_lines), f"{path}: {lines} straight line paths, expected at least {min_lines}")
    check(b" c\n" in ops or b" c " in ops, f"{path}: no curves (markers)")


if __name__ == "__main__":
    if sys.argv[1] == "export":
        check_export(sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), *sys.argv[5:8])
        # The two-element example at its first frequency, 1 MHz, by hand: 1 uH in series with the
        # 50-ohm load, 100 pF across, omega = 2 * 3.14159 * 1e6.
        if int(sys.argv[3]) == 2 and "two-element" in sys.argv[5]:
            w = 2 * PI * 1e6
            z = 1 / (1 / complex(50, w * 1e-6) + complex(0, w * 100e-12))
            row = next(csv.DictReader(open(sys.argv[5])))
            got = complex(float(row["impedance_re"]), float(row["impedance_im"]))
            check(cmath.isclose(got, z, rel_tol=1e-12), f"two-element at 1 MHz: {got} != {z}")
    else:
        check_pdf(sys.argv[2], sys.argv[3], sys.argv[4:])
    print("\n".join(failures[:20]) or "ok")
    sys.exit(1 if failures else 0)
