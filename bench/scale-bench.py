#!/usr/bin/env python3
"""How the whole program grows with the network: every job a modeller runs
on a generated network of each size, timed as a whole process.

    bench/scale-bench.py [--build build] [--sizes region,metro] [--rounds 3]
                         [--networks /tmp/bench-networks] [--json OUT]
                         [--instructions]

Jobs: `corvia import`, what `--save`, `--sumo` and `--gis` (GeoPackage) add
to it, and `corvia open` of the saved model. Each round runs every job of
every size, the sizes of a job one right after the other, in a new order
each round; times are medians, peaks the highest, and the ratios between
the sizes the medians of the rounds' ratios.
Then the import step by step (`bench_import`, CPU seconds) with each step's
growth beside the growth of the input's bytes. The last size is compared
with the first.

--instructions counts instead the user-space instructions each job runs
(valgrind's cachegrind, one run per job and size, the sizes side by side):
a count is the same from run to run, so it shows how the work grows with
the network apart from how the machine's memory and disks behave. Under
valgrind a job takes some 50 times as long.
"""

import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from benchprocess import ROOT, generate, timed
JOBS = ("import", "save", "open", "sumo", "gis")


def one_round(corvia, paths, order, work):
    """Every job on every size, the sizes of one job one right after the
    other (in the given order), so that a job's ratio between sizes is
    taken over seconds, not over the whole round; the exports as what they
    add to the import."""
    model = {size: os.path.join(work, size + ".json") for size in order}
    sumo = {size: os.path.join(work, size + "-sumo", "net") for size in order}
    gpkg = {size: os.path.join(work, size + ".gpkg") for size in order}
    runs = {size: {} for size in order}
    jobs = (("import", lambda size: []), ("save", lambda size: ["--save", model[size]]),
            ("sumo", lambda size: ["--sumo", sumo[size]]), ("gis", lambda size: ["--gis", gpkg[size]]))
    for job, options in jobs:
        for size in order:
            runs[size][job] = timed([corvia, "import", paths[size]] + options(size))
    for size in order:
        runs[size]["open"] = timed([corvia, "open", model[size]])
    results = {}
    for size in order:
        os.remove(model[size])
        os.remove(gpkg[size])
        shutil.rmtree(os.path.dirname(sumo[size]))
        plain = runs[size]["import"]
        result = {"import": plain, "open": runs[size]["open"]}
        for job in ("save", "sumo", "gis"):
            run = runs[size][job]
            result[job] = dict(wall=run["wall"] - plain["wall"], cpu=run["cpu"] - plain["cpu"],
                               peakMiB=run["peakMiB"])
        results[size] = result
    return results


def instructions(cmd):
    """The user-space instructions one run of a command executes."""
    proc = subprocess.run(["valgrind", "--tool=cachegrind", "--cache-sim=no", "--cachegrind-out-file=/dev/null"] + cmd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if proc.returncode != 0:
        raise RuntimeError("failed: " + " ".join(cmd))
    for line in proc.stderr.splitlines():
        if "I   refs:" in line or "I refs:" in line:
            return int(line.split(":")[-1].replace(",", "").strip())
    raise RuntimeError("no instruction count from valgrind: " + " ".join(cmd))


def count_jobs(corvia, network, work):
    """Each job's instructions on one network, the exports as what they add."""
    model = os.path.join(work, "model.json")
    counts = dict(import_=instructions([corvia, "import", network]),
                  save=instructions([corvia, "import", network, "--save", model]),
                  sumo=instructions([corvia, "import", network, "--sumo", os.path.join(work, "sumo", "net")]),
                  gis=instructions([corvia, "import", network, "--gis", os.path.join(work, "net.gpkg")]),
                  open=instructions([corvia, "open", model]))
    plain = counts.pop("import_")
    result = {"import": plain, "open": counts.pop("open")}
    for job, count in counts.items():
        result[job] = count - plain
    return result


def count_report(sizes, networks, build):
    from concurrent.futures import ThreadPoolExecutor
    corvia = os.path.join(build, "bin", "corvia")
    paths = {size: generate(size, networks) for size in sizes}
    works = {size: tempfile.mkdtemp(prefix="scale-bench-") for size in sizes}
    try:
        with ThreadPoolExecutor(max_workers=len(sizes)) as pool:
            counts = dict(zip(sizes, pool.map(lambda size: count_jobs(corvia, paths[size], works[size]), sizes)))
    finally:
        for work in works.values():
            shutil.rmtree(work, ignore_errors=True)
    small, large = sizes[0], sizes[-1]
    growth = sum(os.path.getsize(os.path.join(paths[large], f)) for f in os.listdir(paths[large])) / \
        sum(os.path.getsize(os.path.join(paths[small], f)) for f in os.listdir(paths[small]))
    lines = ["Instructions (user space, valgrind), %s; files %.2f times as large.\n"
             % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), growth),
             "| job | %s | %s | ratio |" % (small, large), "|---|---|---|---|"]
    for job in JOBS:
        label = job if job in ("import", "open") else "%s (adds)" % job
        a, b = counts[small][job], counts[large][job]
        lines.append("| %s | %.2f G | %.2f G | %.2f |" % (label, a / 1e9, b / 1e9, b / a if a else float("nan")))
    return "\n".join(lines)


def import_steps(build, network):
    """CPU seconds of each reading file, step and phase of one headless import."""
    out = subprocess.run([os.path.join(build, "bin", "bench_import"), network], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    data = json.loads(out)
    steps = {}
    for key in ("files", "steps", "trafficSteps"):
        for item in data.get(key, []):
            steps.setdefault(item["name"] if key != "trafficSteps" else "traffic: " + item["name"], item["cpu"])
    for item in data["phases"]:
        steps["phase: " + item["name"]] = item["cpu"]
    return steps, sum(f.get("bytes", 0) for f in data.get("files", []))


def median_jobs(rounds):
    merged = {}
    for job in JOBS:
        runs = [r[job] for r in rounds]
        merged[job] = dict(wall=statistics.median(r["wall"] for r in runs),
                           cpu=statistics.median(r["cpu"] for r in runs),
                           peakMiB=max(r["peakMiB"] for r in runs))
    return merged


def measure(build, sizes, networks, rounds):
    corvia = os.path.join(build, "bin", "corvia")
    paths = {size: generate(size, networks) for size in sizes}
    samples = {size: [] for size in sizes}
    order = list(sizes)
    with tempfile.TemporaryDirectory() as work:
        for n in range(rounds):
            print("round %d of %d ..." % (n + 1, rounds), file=sys.stderr)
            for size, result in one_round(corvia, paths, order, work).items():
                samples[size].append(result)
            random.Random(n).shuffle(order)
    results = {}
    for size in sizes:
        steps = [import_steps(build, paths[size]) for _ in range(rounds)]
        results[size] = dict(jobs=median_jobs(samples[size]), bytes=steps[0][1],
                             steps={name: statistics.median(s[0][name] for s in steps) for name in steps[0][0]})
    results["pairedRatios"] = paired_ratios(samples, sizes[0], sizes[-1])
    return results


def paired_ratios(samples, small, large):
    """Each job's ratio of the last size to the first, taken round by round
    (the two runs seconds apart) and the median of the rounds: the virtual
    machine's speed drifts more over a round than between two runs."""
    ratios = {}
    for job in JOBS:
        ratios[job] = {}
        for key in ("wall", "cpu", "peakMiB"):
            pairs = [(b[job][key], a[job][key]) for a, b in zip(samples[small], samples[large])]
            ratios[job][key] = statistics.median(y / x if x > 0 else float("nan") for y, x in pairs)
    return ratios


def report(results, sizes, when):
    small, large = sizes[0], sizes[-1]
    a, b = results[small], results[large]
    growth = b["bytes"] / a["bytes"]
    lines = ["Measured %s, %d cores; medians of the rounds, peaks the highest; the ratios are the medians of each "
             "round's ratio. Input %s %.1f MB, %s %.1f MB (%.2f times).\n"
             % (when, os.cpu_count(), small, a["bytes"] / 1e6, large, b["bytes"] / 1e6, growth)]
    lines.append("| job | %s wall s | %s CPU s | %s peak MiB | %s wall s | %s CPU s | %s peak MiB | wall ratio "
                 "| CPU ratio | peak ratio |" % ((small,) * 3 + (large,) * 3))
    lines.append("|---" * 10 + "|")
    for job in JOBS:
        x, y = a["jobs"][job], b["jobs"][job]
        ratio = lambda key: results["pairedRatios"][job][key]
        label = job if job in ("import", "open") else "%s (adds)" % job
        lines.append("| %s | %.2f | %.2f | %.0f | %.2f | %.2f | %.0f | %.2f | %.2f | %.2f |" % (
            label, x["wall"], x["cpu"], x["peakMiB"], y["wall"], y["cpu"], y["peakMiB"],
            ratio("wall"), ratio("cpu"), ratio("peakMiB")))
    lines.append("\nImport steps (CPU s, `bench_import`), each step's growth over the input's (%.2f):\n" % growth)
    lines.append("| step | %s | %s | ratio | ratio / input's |" % (small, large))
    lines.append("|---" * 5 + "|")
    for name, x in a["steps"].items():
        y = b["steps"].get(name, 0.0)
        if x < 0.002:  # too short to time
            continue
        lines.append("| %s | %.3f | %.3f | %.2f | %.2f |" % (name, x, y, y / x, y / x / growth))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--sizes", default="region,metro")
    parser.add_argument("--networks", default="/tmp/bench-networks")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--json")
    parser.add_argument("--instructions", action="store_true")
    args = parser.parse_args()
    sizes = args.sizes.split(",")
    os.makedirs(args.networks, exist_ok=True)
    if args.instructions:
        print(count_report(sizes, args.networks, args.build))
        return
    results = measure(args.build, sizes, args.networks, max(1, args.rounds))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    print(report(results, sizes, time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())))


if __name__ == "__main__":
    main()
