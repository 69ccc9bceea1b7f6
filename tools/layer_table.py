#!/usr/bin/env python3
"""Prints who includes whom between the subsystems of pgms/.

    tools/layer_table.py [source folder]

For every pair of subsystems (includer -> included) the number of
`#include "..."` lines, then every include that climbs a layer or crosses
between two peers of the same layer. The layers, lowest first:

    platform 0; foundation 1; world, network, sound 2; graphics 3;
    gui, rules 4; screens 5; shell 6

A subsystem may include itself and any subsystem of a lower layer; peers of
one layer stay apart. The test tests/network/Platform_Boundary_Test.cpp holds
the same table.
"""
import os
import re
import sys
from collections import Counter

RANKS = {
    "platform": 0,
    "foundation": 1,
    "world": 2, "network": 2, "sound": 2,
    "graphics": 3,
    "gui": 4, "rules": 4,
    "screens": 5,
    "shell": 6,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def header_owners(pgms):
    """Maps a header's file name (and its path below pgms/) to its subsystem."""
    owners = {}
    for sub in RANKS:
        folder = os.path.join(pgms, sub)
        if not os.path.isdir(folder):
            continue
        for name in os.listdir(folder):
            owners[name] = sub
            owners[sub + "/" + name] = sub
    return owners


def scan(pgms):
    owners = header_owners(pgms)
    counts = Counter()
    climbs = []
    for sub in RANKS:
        folder = os.path.join(pgms, sub)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = owners.get(m.group(1))
                    if target is None:
                        continue
                    counts[(sub, target)] += 1
                    if target != sub and RANKS[target] >= RANKS[sub]:
                        climbs.append(f"{sub}/{name}:{number} -> {target}/{m.group(1).split('/')[-1]}")
    return counts, climbs


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    counts, climbs = scan(os.path.join(top, "pgms"))
    order = sorted(RANKS, key=lambda s: (RANKS[s], s))
    print("Includes (row includes column):")
    print(f"{'':>11}" + "".join(f"{s[:6]:>7}" for s in order))
    for a in order:
        print(f"{a:>11}" + "".join(f"{(counts[(a, b)] or '.'):>7}" for b in order))
    print()
    print(f"Includes that climb a layer or cross between peers: {len(climbs)}")
    for c in climbs:
        print("  " + c)
    return 1 if climbs else 0


if __name__ == "__main__":
    sys.exit(main())
