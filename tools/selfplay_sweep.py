#!/usr/bin/env python3
"""Plays many games between computer players with globarch-selfplay and
tabulates them: per map type the share of games with a winner, the mean
number of dates until the decision, and every run that did not exit 0.

    tools/selfplay_sweep.py --bin build/release/globarch-selfplay --out DIR
        [--maps Tiny,Small,...] [--players 2-8] [--seeds 1-5] [--dates 100]
        [--jobs 3] [--neutral] [--table-only]

Each game's output goes to DIR/<map>-p<players>-s<seed>.txt (its exit code
in a .rc file beside it); a game whose files are there already is not
played again, so a cut-off sweep goes on where it stopped. The games run
under `nice`.
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys

ALL_MAPS = ["Tiny", "Small", "Medium", "Standard", "Large", "Archipelago"]


def span(text):
    if "-" in text:
        low, high = text.split("-", 1)
        return list(range(int(low), int(high) + 1))
    return [int(v) for v in text.split(",")]


def game_name(map_type, players, seed, neutral):
    return f"{map_type}-p{players}-s{seed}" + ("-n" if neutral else "")


def play(args, map_type, players, seed):
    name = game_name(map_type, players, seed, args.neutral)
    out = os.path.join(args.out, name + ".txt")
    rc_file = os.path.join(args.out, name + ".rc")
    if os.path.exists(rc_file):
        return
    command = ["nice", args.bin, "--seed", str(seed), "--players", str(players), "--map-type", map_type,
               "--dates", str(args.dates)]
    if args.neutral:
        command.append("--neutral")
    with open(out, "w") as stdout, open(os.path.join(args.out, name + ".err"), "w") as stderr:
        rc = subprocess.call(command, stdout=stdout, stderr=stderr)
    with open(rc_file, "w") as f:
        f.write(f"{rc}\n")


DATE = re.compile(r"^Date (\S+)")
WINNER = re.compile(r"^Winner: player (\d+) at date (\S+)")


def read_game(path):
    first = None
    winner = None
    decided_at = None
    with open(path) as f:
        for line in f:
            m = DATE.match(line)
            if m and first is None:
                first = float(m.group(1))
            m = WINNER.match(line)
            if m:
                winner = int(m.group(1))
                decided_at = float(m.group(2))
    dates = None
    if winner is not None and first is not None:
        dates = round((decided_at - first) * 10)
    return winner, dates


def table(args, maps, players, seeds):
    rows = []
    total_games = total_won = 0
    all_dates = []
    failures = []
    for map_type in maps:
        games = won = 0
        dates = []
        for p in players:
            for s in seeds:
                name = game_name(map_type, p, s, args.neutral)
                rc_file = os.path.join(args.out, name + ".rc")
                if not os.path.exists(rc_file):
                    continue
                rc = int(open(rc_file).read().strip() or "-1")
                if rc != 0:
                    failures.append(f"{name}: exit {rc}")
                games += 1
                winner, d = read_game(os.path.join(args.out, name + ".txt"))
                if winner is not None:
                    won += 1
                    dates.append(d)
        total_games += games
        total_won += won
        all_dates += dates
        share = 100.0 * won / games if games else 0.0
        mean = sum(dates) / len(dates) if dates else float("nan")
        rows.append(f"| {map_type:<11} | {games:5} | {won:5} | {share:5.1f} % | {mean:6.1f} |")
    share = 100.0 * total_won / total_games if total_games else 0.0
    mean = sum(all_dates) / len(all_dates) if all_dates else float("nan")
    print("| map type    | games |  won  |  share  | mean dates to decision |")
    print("|-------------|-------|-------|---------|--------|")
    for r in rows:
        print(r)
    print(f"| {'all':<11} | {total_games:5} | {total_won:5} | {share:5.1f} % | {mean:6.1f} |")
    print(f"runs not exiting 0: {len(failures)}")
    for f in failures:
        print("  " + f)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default="build/release/globarch-selfplay")
    parser.add_argument("--out", required=True)
    parser.add_argument("--maps", default=",".join(ALL_MAPS))
    parser.add_argument("--players", default="2-8")
    parser.add_argument("--seeds", default="1-5")
    parser.add_argument("--dates", type=int, default=100)
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--neutral", action="store_true")
    parser.add_argument("--table-only", action="store_true")
    args = parser.parse_args()
    maps = args.maps.split(",")
    players = span(args.players)
    seeds = span(args.seeds)
    os.makedirs(args.out, exist_ok=True)
    if not args.table_only:
        games = [(m, p, s) for m in maps for p in players for s in seeds]
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, min(args.jobs, 3))) as pool:
            for f in [pool.submit(play, args, *g) for g in games]:
                f.result()
    table(args, maps, players, seeds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
