#!/usr/bin/env python3
"""Import benchmark on generated networks, with the reference pass and netconvert.

    bench/run-bench.py [--build build] [--sizes small,city,...] [--rounds N]
                       [--doubling-rounds N] [--netconvert-sizes small,city,...]
                       [--networks DIR] [--json OUT.json]

For every size it generates the network once (kept in --networks), then,
in each of N rounds (9 unless told), one size after the other,
  - imports it headless with bench_import: wall and CPU time and peak memory
    of every phase, and reading time and bytes of every file;
  - runs the reference pass (words split and numbers converted with
    std::from_chars) over the same files, as many times over as makes it
    last about as long as the reading (from the second round on, by the
    rounds before), so that a slow spell of the machine is as likely to
    fall on either;
  - times `corvia import DIR` as a whole process (start-up, plug-in
    loading and exit included);
and once, after the rounds, exports it with `corvia import DIR --sumo PREFIX`
and times netconvert building the SUMO network from that export.
Every time reported is the median of the rounds, every peak the highest:
on a shared virtual machine one import can take half as long again as the
next, and a single run's ratios between sizes swing with it. The rounds
take the sizes in turn, so that a slow spell of the machine falls on all
of them alike, and each round after the first takes them in a new order
(shuffled from a fixed seed), so that no size always follows the same
one.
It prints a Markdown report with the targets and ratios (bench/README.md
holds a copy of it).
"""

import argparse
import json
import os
import platform
import random
import statistics
import subprocess
import sys
import time

from benchprocess import ROOT, generate, timed
PHASES = ("reading", "network", "traffic", "records", "freeing")


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


LIMIT = 900  # seconds for the SUMO export and for netconvert each


def netconvert(build, path, work):
    # a prefix beside the network's folder: the folder's own name would be refused
    prefix = os.path.join(work, os.path.basename(path) + "-sumo")
    try:
        run([os.path.join(build, "bin", "corvia"), "import", path, "--sumo", prefix], timeout=LIMIT)
    except subprocess.TimeoutExpired:
        return {}
    built = timed(["timeout", str(LIMIT), "netconvert", "--node-files", prefix + ".nod.xml", "--edge-files", prefix + ".edg.xml",
                        "--connection-files", prefix + ".con.xml", "--tllogic-files", prefix + ".tll.xml",
                        "--no-turnarounds", "--output-file", prefix + ".net.xml"])
    return dict(wall=built["wall"], peakMiB=built["peakMiB"])


def bench_import(build, *args):
    """What bench_import prints for these arguments."""
    return json.loads(run([os.path.join(build, "bin", "bench_import"), *args]).stdout)


def import_once(build, path, passes=1):
    """One headless import, the reference pass over the same files (the
    given number of times), and `corvia import` of them timed as a whole
    process. Also the round's ratio of the reading's bytes per second to
    the reference pass's."""
    result = bench_import(build, path)
    reference = bench_import(build, "--reference", path, str(passes))["reference"]
    reference["rate"] = reference["bytes"] / 1e6 / reference["wall"] if reference["wall"] > 0 else 0.0
    result["reference"] = reference
    reading = phase(result, "reading")
    reading_rate = reading.get("bytes", 0) / 1e6 / reading["wall"] if reading["wall"] > 0 else 0.0
    result["readingShare"] = reading_rate / reference["rate"] if reference["rate"] > 0 else 0.0
    whole = timed([os.path.join(build, "bin", "corvia"), "import", path])
    result["corvia"] = dict(wall=whole["wall"], peakMiB=whole["peakMiB"])
    return result


def reference_passes(rounds):
    """How many times over the reference pass must read the files to last
    about as long as the reading did in the rounds so far."""
    if not rounds:
        return 1
    reading = statistics.median(phase(r, "reading")["cpu"] for r in rounds)
    one_pass = statistics.median(r["reference"]["cpu"] / r["reference"].get("passes", 1) for r in rounds)
    return max(1, min(1000, round(reading / one_pass))) if one_pass > 0 else 1


def median_of(rounds):
    """The rounds' results as one: the median of every time and page-fault
    count, the highest peak; names, bytes and the order of files, phases
    and steps are the same in every round."""
    def combine(measurements):
        merged = dict(measurements[0])
        for key in ("wall", "cpu", "faults", "rate"):
            if key in merged:
                merged[key] = statistics.median(m[key] for m in measurements)
        if "peakMiB" in merged:
            merged["peakMiB"] = max(m["peakMiB"] for m in measurements)
        return merged

    result = dict(rounds[0])
    for listed in ("files", "phases", "steps"):
        if listed in result:
            result[listed] = [combine([r[listed][i] for r in rounds]) for i in range(len(result[listed]))]
    result["reference"] = combine([r["reference"] for r in rounds])
    result["corvia"] = combine([r["corvia"] for r in rounds])
    result["readingShare"] = statistics.median(r["readingShare"] for r in rounds)
    result["rounds"] = len(rounds)
    return result


def measure(build, sizes, networks, netconvert_sizes, rounds):
    paths = {size: generate(size, networks) for size in sizes}
    samples = {size: [] for size in sizes}
    order = list(sizes)
    shuffle = random.Random(1).shuffle
    for n in range(rounds):
        print("round %d of %d ..." % (n + 1, rounds), file=sys.stderr)
        for size in order:
            samples[size].append(import_once(build, paths[size], reference_passes(samples[size])))
        shuffle(order)
    results = []
    for size in sizes:
        result = median_of(samples[size])
        if size in netconvert_sizes:
            print("netconvert on %s ..." % size, file=sys.stderr)
            result["netconvert"] = netconvert(build, paths[size], networks)
        result["size"] = size
        result["bytes"] = sum(f.get("bytes", 0) for f in result["files"])
        results.append(result)
    return results


DOUBLING_PAIRS = (("city", "double-city"), ("half-region", "region"))


def phase_times(build, path):
    """Each phase's CPU and wall time of one bench_import run."""
    phases = bench_import(build, path)["phases"]
    return {(p["name"], clock): p[clock] for p in phases for clock in ("cpu", "wall")}


def median_interval(values, draws=2000):
    """The median of the values and a 95 % bootstrap interval of it."""
    draw = random.Random(7).choices
    medians = sorted(statistics.median(draw(values, k=len(values))) for _ in range(draws))
    return statistics.median(values), medians[int(0.025 * draws)], medians[int(0.975 * draws) - 1]


def measure_doubling(build, sizes, networks, rounds):
    """Per pair of sizes and phase: the median of the rounds' ratios of the
    larger network's CPU time to the smaller's (imported twice a round),
    with its interval, and the median of the same ratios of wall time."""
    pairs = [p for p in DOUBLING_PAIRS if p[0] in sizes and p[1] in sizes]
    paths = {size: generate(size, networks) for pair in pairs for size in pair}
    ratios = {pair: {} for pair in pairs}
    order = random.Random(2)
    for n in range(rounds):
        print("doubling round %d of %d ..." % (n + 1, rounds), file=sys.stderr)
        for pair in order.sample(pairs, len(pairs)):
            slots = order.sample([pair[0], pair[0], pair[1]], 3)
            times = [(size, phase_times(build, paths[size])) for size in slots]
            small = [t for size, t in times if size == pair[0]]
            large = next(t for size, t in times if size == pair[1])
            for key in large:
                mean_small = (small[0][key] + small[1][key]) / 2
                if mean_small > 0:
                    ratios[pair].setdefault(key, []).append(large[key] / mean_small)
    result = {}
    for pair, by_key in ratios.items():
        result[pair] = {}
        for name in PHASES:
            if (name, "cpu") in by_key:
                median, low, high = median_interval(by_key[(name, "cpu")])
                wall = statistics.median(by_key.get((name, "wall"), [0.0]))
                result[pair][name] = dict(cpu=median, low=low, high=high, wall=wall)
    return result


def phase(result, name):
    return next(p for p in result["phases"] if p["name"] == name)


def report(results, when, doubling=None, doubling_rounds=0):
    lines = []
    machine = "%s, %d cores, %s" % (platform.processor() or platform.machine(), os.cpu_count(), platform.platform())
    rounds = results[0].get("rounds", 1) if results else 0
    lines.append("Measured %s on %s; times are medians of %d rounds, and so is reading / reference, taken "
                 "round by round.\n" % (when, machine, rounds))
    lines.append("| size | MB | reading s | network s | traffic s | records s | freeing s | import s | CPU s | peak MiB "
                 "| reading MB/s (per CPU s) | reference MB/s | reading / reference | corvia import s "
                 "| corvia import / reference pass | netconvert s | import / netconvert | freeing share |")
    lines.append("|---" * 18 + "|")
    for r in results:
        walls = {n: phase(r, n)["wall"] for n in PHASES}
        total = sum(walls.values())
        cpu = sum(phase(r, n)["cpu"] for n in PHASES)
        peak = max(p["peakMiB"] for p in r["phases"])
        mb = r["bytes"] / 1e6
        reading_rate = mb / walls["reading"] if walls["reading"] else 0.0
        reading_cpu_rate = mb / phase(r, "reading")["cpu"] if phase(r, "reading")["cpu"] else 0.0
        ref_rate = r["reference"]["rate"]
        share = r["readingShare"]
        nc = r.get("netconvert", {}).get("wall")
        whole = r.get("corvia", {}).get("wall")
        one_pass = mb / ref_rate if ref_rate else 0.0  # one reference pass over the files, s
        lines.append("| %s | %.1f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.0f | %.0f (%.0f) | %.0f | 1/%.1f | %s | %s | %s | %s | %.1f %% |" % (
            r["size"], mb, walls["reading"], walls["network"], walls["traffic"], walls["records"], walls["freeing"],
            total, cpu, peak, reading_rate, reading_cpu_rate, ref_rate, 1.0 / share if share else 0.0,
            "%.2f" % whole if whole else "-", "%.1f" % (whole / one_pass) if whole and one_pass else "-",
            "%.2f" % nc if nc else "-", "%.2f" % (total / nc) if nc else "-",
            100.0 * walls["freeing"] / total))
    if doubling:
        lines.append("\nTime ratio per phase when the network doubles: median over %d rounds of the larger "
                     "network's CPU time over the mean of two imports of the smaller, with its 95 %% interval, and the "
                     "median of the same ratios of wall time:\n"
                     % doubling_rounds)
        lines.append("| sizes | " + " | ".join(PHASES) + " |")
        lines.append("|---" * (len(PHASES) + 1) + "|")
        for (small, large), by_phase in doubling.items():
            cells = ["%(cpu).2f (%(low).2f to %(high).2f; wall %(wall).2f)" % by_phase[n] if n in by_phase else "-"
                     for n in PHASES]
            lines.append("| %s → %s | %s |" % (small, large, " | ".join(cells)))
    lines.append("\nReading per file (s, MB/s):\n")
    lines.append("| size | " + " | ".join(f["name"] for f in results[0]["files"]) + " |")
    lines.append("|---" * (len(results[0]["files"]) + 1) + "|")
    for r in results:
        cells = []
        for f in r["files"]:
            rate = f["bytes"] / 1e6 / f["wall"] if f["wall"] > 0 and f["bytes"] > 0 else 0.0
            cells.append("%.3f (%.0f)" % (f["wall"], rate))
        lines.append("| %s | %s |" % (r["size"], " | ".join(cells)))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--sizes", default="small,city,double-city,half-region,region")
    parser.add_argument("--networks", default="/tmp/bench-networks")
    parser.add_argument("--netconvert-sizes", default="small,city,double-city,half-region,region",
                        help="sizes whose SUMO export is built by netconvert (slow on large networks)")
    parser.add_argument("--rounds", type=int, default=9, help="imports of every size; times are their medians")
    parser.add_argument("--doubling-rounds", type=int, default=41,
                        help="rounds of the doubling measurement (0: none)")
    parser.add_argument("--json")
    args = parser.parse_args()
    os.makedirs(args.networks, exist_ok=True)
    results = measure(args.build, args.sizes.split(","), args.networks, args.netconvert_sizes.split(","),
                      max(1, args.rounds))
    doubling = {}
    if args.doubling_rounds > 0:
        doubling = measure_doubling(args.build, args.sizes.split(","), args.networks, args.doubling_rounds)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(dict(sizes=results, doubling=[dict(sizes=list(pair), ratios=r) for pair, r in doubling.items()]),
                      f, indent=1)
    print(report(results, time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), doubling, args.doubling_rounds))


if __name__ == "__main__":
    main()
