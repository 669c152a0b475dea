#!/usr/bin/env python3
"""Makes the synthetic observed-flow file UsgsObs.dat from a run's Results.dat.

    hydload run examples/Millbrook/Millbrook.prj --years 30 --level 4 --out /tmp/mb
    python3 examples/make_observed.py /tmp/mb/Results.dat

Each simulated month's streamflow is multiplied by a log-normal error that
persists from month to month; a few months are left without data (-1).
"""
import math
import os
import random
import sys

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Millbrook")
LABELS = ["Ap", "My", "Jn", "Jl", "Au", "Se", "Oc", "No", "De", "Ja", "Fe", "Mr"]
SIGMA, RHO = .18, .5
# (year, model month) pairs without data: ice on the gauge in the winters of
# 1993-94 and 2002-03, and an outage from June to August 2007.
MISSING = {(4, 10), (4, 11), (13, 10), (13, 11), (13, 12), (18, 3), (18, 4), (18, 5)}


def num(v):
    """Plain decimal without a leading zero, as the program writes numbers."""
    s = "%.7g" % v
    if "." in s:
        s = s.rstrip("0").rstrip(".")
    return s[1:] if s.startswith("0.") else s


def monthly_flows(results_path):
    lines = [l.rstrip("\r\n") for l in open(results_path, newline="")]
    header = lines[0].split(",")
    years, land_uses, level = int(header[1]), int(header[4]), int(header[5])
    at = 1 + 12 * years + land_uses
    flows = []
    for _ in range(years):
        water = [lines[at + 2 * m].split(",") for m in range(13)]
        flows += [float(water[m][4]) for m in range(1, 13)]
        at += 26 + land_uses + (1 if level > 3 else 0)
    return flows


def main():
    flows = monthly_flows(sys.argv[1])
    rng = random.Random(1990)
    error = 0.0
    out = []
    for i, flow in enumerate(flows):
        year, month = i // 12 + 1, i % 12 + 1
        error = RHO * error + math.sqrt(1 - RHO * RHO) * rng.gauss(0, SIGMA)
        # A gauge reads at least .01 cm; 0 would mean "no data" to the program.
        value = -1 if (year, month) in MISSING else max(.01, round(flow * math.exp(error), 2))
        label = "%s%02d" % (LABELS[month - 1], (1989 + year + (month >= 10)) % 100)
        out.append('%d,%s,"%s"' % (i + 1, num(value), label))
    with open(os.path.join(HERE, "UsgsObs.dat"), "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


main()
