#!/usr/bin/python3
"""Whole-process time of a command-line scan against ngspice's AC analysis of the same ladder.

    compare_ngspice.py TAVELIN_CLI TAVELIN_NETWORK [--elements 327] [--steps 100] [--runs 15]

Builds the mixed network of the scan benchmarks as an element record file (with tavelin-network)
and as a SPICE netlist, then runs `tavelin-cli scan` and `ngspice -b` (writing every node voltage
to a raw file) in turn, --runs times each, side by side, and prints the medians and their ratio; the
scan followed by a CSV export of the input end is timed alongside. Wall and CPU time (user + system of
the child processes) are both given.
Lines and stubs become lossy lines (R, L and C per metre) whose matched loss and velocity match the
record's; the load's reactance becomes an inductor with that reactance at 15.5 MHz. A reported
figure, nothing here is asserted.
"""
import argparse
import math
import os
import resource
import statistics
import subprocess
import tempfile
import time

CYCLE = [
    ("SerTransLine 1.5 z0=50 loss=1.2 vf=0.66", ("line", 1.5, 50, 1.2, 0.66)),
    ("ShuntC 47", ("shuntC", 47e-12)),
    ("SeriesL 0.33", ("seriesL", 0.33e-6)),
    ("StubShorted 0.8 z0=50 loss=0.9 vf=0.66 rshort=0.01 lshort=0.002",
     ("stubShort", 0.8, 50, 0.9, 0.66, 0.01, 0.002e-6)),
    ("SeriesR 2.2", ("seriesR", 2.2)),
    ("StubOpen 0.6 z0=75 loss=0.8 vf=0.8 ropen=1e9 copen=0.5", ("stubOpen", 0.6, 75, 0.8, 0.8, 1e9, 0.5e-12)),
    ("ShuntR 5000", ("shuntR", 5000)),
    ("SeriesC 1000", ("seriesC", 1000e-12)),
    ("ShuntL 10", ("shuntL", 10e-6)),
]
LIGHT = 299.796e6  # metres per second, as the program has it


def line_model(name, z0, loss_db_per_100ft, vf, length):
    alpha = loss_db_per_100ft / 8.688 / (100 * 0.3048)  # nepers per metre
    v = vf * LIGHT
    return f".model {name} ltra r={2 * z0 * alpha:.9g} l={z0 / v:.9g} g=0 c={1 / (z0 * v):.9g} len={length}\n"


def netlist(elements, steps):
    lines = ["* mixed ladder, load first\n", "Rload n0 nl 50\n", f"Lload nl 0 {10 / (2 * math.pi * 15.5e6):.9g}\n",
             "R0 n0 n1 1\n"]
    node = 1
    for i in range(1, elements):
        kind, *p = CYCLE[i % 9][1]
        here = f"n{node}"
        if kind == "line":
            lines.append(line_model(f"m{i}", p[1], p[2], p[3], p[0]))
            lines.append(f"O{i} {here} 0 n{node + 1} 0 m{i}\n")
            node += 1
        elif kind in ("seriesL", "seriesR", "seriesC"):
            lines.append(f"{kind[-1]}{i} {here} n{node + 1} {p[0]:.9g}\n")
            node += 1
        elif kind in ("shuntC", "shuntR", "shuntL"):
            lines.append(f"{kind[-1]}{i} {here} 0 {p[0]:.9g}\n")
        elif kind == "stubShort":
            lines.append(line_model(f"m{i}", p[1], p[2], p[3], p[0]))
            lines.append(f"O{i} {here} 0 s{i} 0 m{i}\nRs{i} s{i} t{i} {p[4]}\nLs{i} t{i} 0 {p[5]:.9g}\n")
        elif kind == "stubOpen":
            lines.append(line_model(f"m{i}", p[1], p[2], p[3], p[0]))
            lines.append(f"O{i} {here} 0 s{i} 0 m{i}\nRo{i} s{i} 0 {p[4]:.9g}\nCo{i} s{i} 0 {p[5]:.9g}\n")
    lines.append(f"Iin 0 n{node} ac 1\n")
    stop = 1 + (steps - 1) * 29 / 99  # the program's last frequency, MHz
    lines.append(f".ac lin {steps} 1meg {stop:.9g}meg\n.end\n")
    return "".join(lines)


def cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(*commands):
    """Wall and CPU seconds of the commands run one after the other."""
    start, start_cpu = time.perf_counter(), cpu()
    for command in commands:
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, cpu() - start_cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("network_tool")
    parser.add_argument("--elements", type=int, default=327)
    parser.add_argument("--steps", type=int, default=100)
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="tavelin-ngspice-") as folder:
        text = "SeriesR 1 rload=50 xload=10\n" + "".join(CYCLE[i % 9][0] + "\n" for i in range(1, args.elements))
        with open(os.path.join(folder, "net.txt"), "w") as f:
            f.write(text)
        subprocess.run([args.network_tool, os.path.join(folder, "net.txt"), os.path.join(folder, "net.dat")],
                       check=True)
        with open(os.path.join(folder, "net.cir"), "w") as f:
            f.write(netlist(args.elements, args.steps))
        tavelin = [args.cli, "scan", os.path.join(folder, "net.dat"), "--lower", "1", "--upper", "30", "--steps",
                   str(args.steps), "--output", os.path.join(folder, "out.dat"), "--quiet"]
        spice = ["ngspice", "-b", "-r", os.path.join(folder, "out.raw"), os.path.join(folder, "net.cir")]
        export = [args.cli, "export", os.path.join(folder, "out.dat"), "--network", os.path.join(folder, "net.dat"),
                  "--format", "csv", "--output", os.path.join(folder, "out.csv")]
        runs = {"tavelin-cli scan": (tavelin,), "scan + export csv": (tavelin, export), "ngspice -b (AC)": (spice,)}
        times = {name: [] for name in runs}
        for commands in runs.values():
            timed(*commands)  # warm the caches
        for _ in range(args.runs):
            for name, commands in runs.items():
                times[name].append(timed(*commands))
        print(f"{args.elements} elements x {args.steps} steps, {args.runs} runs each, alternating; medians:")
        median = {}
        for name, pairs in times.items():
            wall, used = [p[0] for p in pairs], [p[1] for p in pairs]
            median[name] = statistics.median(wall), statistics.median(used)
            print(f"  {name:18} {median[name][0] * 1000:8.2f} ms wall (min {min(wall) * 1000:.2f}), "
                  f"{median[name][1] * 1000:7.2f} ms CPU")
        spice_wall, spice_cpu = median["ngspice -b (AC)"]
        for name in ("tavelin-cli scan", "scan + export csv"):
            print(f"  ratio {name:18} {median[name][0] / spice_wall:6.3f} wall, {median[name][1] / spice_cpu:6.3f} CPU")


if __name__ == "__main__":
    main()
