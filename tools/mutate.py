#!/usr/bin/env python3
"""One-line fault injection for the readers.

Applies each mutation of MUTATIONS to its source file alone, rebuilds the
reader test programs that cover that file, runs them, and reports whether
a test failed (caught) or all passed (survived). The source is restored
after every mutation, also when interrupted.

    tools/mutate.py [--build build] [--only SUBSTRING]
"""
import argparse
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Which reader test programs cover which reader source.
TESTS = {
    "nodereaders.cpp": ["tst_nodereaders", "tst_linksreader"],
    "linksreader.cpp": ["tst_linksreader", "tst_nodereaders", "tst_prioritiesreaders"],
    "zonereaders.cpp": ["tst_areareaders", "tst_linksreader"],
    "prioritiesreaders.cpp": ["tst_prioritiesreaders", "tst_linksreader"],
    "demandreaders.cpp": ["tst_demandreaders"],
    "profilereaders.cpp": ["tst_demandreaders"],
    "transitreaders.cpp": ["tst_transitreaders"],
    "devicereaders.cpp": ["tst_devicereaders"],
    "annotationreader.cpp": ["tst_devicereaders"],
    "vehiclesreader.cpp": ["tst_vehiclesreader"],
    "configurationreader.cpp": ["tst_configurationreader"],
    "paramicsreading.cpp": ["tst_transitreaders", "tst_devicereaders", "tst_demandreaders"],
}

# (file in reader/, text of one line as it stands, its replacement).
MUTATIONS = [
    ("prioritiesreaders.cpp", "case K::All: skip(3); break;", "case K::All: skip(2); break;"),
    ("prioritiesreaders.cpp", "case K::All: skip(2); break;", "case K::All: skip(3); break;"),
    ("prioritiesreaders.cpp", "case K::Minor: readRank(2); break;", "case K::Minor: readRank(1); break;"),
    ("prioritiesreaders.cpp", "if (junction && turning) {", "if (turning) {"),
    ("prioritiesreaders.cpp", "if (token.is(K::Signals))\n        return;", "if (false)\n        return;"),
    ("prioritiesreaders.cpp", "case K::Min: skip(2); break;", "case K::Min: skip(1); break;"),
    ("prioritiesreaders.cpp", "if (!inPhase || !phase)", "if (!phase)"),
    ("prioritiesreaders.cpp", "const double red = in.next().toDouble();", "const double red = in.current().toDouble();"),
    ("demandreaders.cpp", "rowCounter = 0;", ";"),
    ("demandreaders.cpp", "if (number > declaredCount) {", "if (number >= declaredCount) {"),
    ("demandreaders.cpp", "if (in.next().isNumeric())", "if (in.next().kind != K::Word)"),
    ("demandreaders.cpp", "if (!token.isNumeric())\n        return;", "if (false)\n        return;"),
    ("demandreaders.cpp", "*row = ParamicsOdValues();", ";"),
    ("demandreaders.cpp", "const double rowDivisor = divisor;", "const double rowDivisor = 1.0;"),
    ("profilereaders.cpp", "if (!current)\n        return;", "if (!current)\n        return (void)in.next();"),
    ("profilereaders.cpp", "current->interval = token.toInt() * 60;", "current->interval = token.toInt();"),
    ("profilereaders.cpp", "if (token.is(K::Count))\n                continue;", "if (false)\n                continue;"),
    ("profilereaders.cpp", "in.next();\n            in.next();\n        } else {", "in.next();\n        } else {"),
    ("zonereaders.cpp", "if (number > limit)", "if (number >= limit)"),
    ("zonereaders.cpp", "if (number > zoneCount)", "if (number >= zoneCount)"),
    ("zonereaders.cpp", "unitFactor = ParamicsUnits::lengthFactor(in.next());\n    const double y = in.next().toDouble();\n    if (current) {",
     "in.next();\n    const double y = in.next().toDouble();\n    if (current) {"),
    ("zonereaders.cpp", "if (number > pointsCount && centres.size() > pointsCount)", "if (number > pointsCount)"),
    ("zonereaders.cpp", "in.next();  // the word \"width\"", ";"),
    ("annotationreader.cpp", "in.next();\n            expectingText = false;", "in.next();"),
    ("annotationreader.cpp", "if (numbers == 0)", "if (numbers == 1)"),
    ("annotationreader.cpp", "if (!expectingText || !current)", "if (!current)"),
    ("linksreader.cpp", "if (pendingRamps > 0)\n            finishRamp();", "if (pendingRamps >= 0)\n            finishRamp();"),
    ("linksreader.cpp", "--pendingRamps;", ";"),
    ("linksreader.cpp", "if (current->lanes == 0) {", "if (current->lanes <= 1) {"),
    ("linksreader.cpp", "else if (angle < 0.001 && rightHandDrive)", "else if (angle < 0.001)"),
    ("nodereaders.cpp", "if (nextLane == 0 || !link || exit >= link->turningCount())", "if (!link || exit >= link->turningCount())"),
    ("nodereaders.cpp", "turning->destinationFromLane = ParamicsTurning::NoFromLane;", ";"),
    ("nodereaders.cpp", "(link && number >= 1 && number <= link->turningCount())", "(link && number >= 0 && number <= link->turningCount())"),
    ("transitreaders.cpp", "current->position *= StopFeetFactor;", ";"),
    ("transitreaders.cpp", "if (routesBegun > routeCount)", "if (routesBegun >= routeCount)"),
    ("transitreaders.cpp", "if (token.isNumeric())\n        return;", "if (false)\n        return;"),
    ("devicereaders.cpp", "return length.unit == K::Feet ? length.value * DeviceFeetFactor : length.value;",
     "return length.unit == K::Metres ? length.value : length.value * DeviceFeetFactor;"),
    ("devicereaders.cpp", "if (++signsBegun > countLimit) {", "if (++signsBegun >= countLimit) {"),
    ("vehiclesreader.cpp", "current->proportion = token.toDouble() / 100.0;", "current->proportion = token.toDouble();"),
    ("configurationreader.cpp", "if (in.next().is(K::Red) && in.next().is(K::Time))", "if (in.next().is(K::Red))"),
]


def run(cmd, cwd):
    return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def try_mutation(build, name, before, after):
    path = ROOT / "reader" / name
    original = path.read_text()
    if original.count(before) != 1:
        return "not found"
    tests = TESTS[name]
    try:
        path.write_text(original.replace(before, after))
        if run(["cmake", "--build", str(build), "-j2", "--target", *tests], ROOT) != 0:
            return "caught (build)"
        failed = [t for t in tests if run([str(build / "bin" / t)], ROOT) != 0]
        return "caught by " + ",".join(failed) if failed else "SURVIVED"
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    build = (ROOT / args.build).resolve()
    caught = survived = 0
    for name, before, after in MUTATIONS:
        if args.only not in name + before:
            continue
        result = try_mutation(build, name, before, after)
        caught += result.startswith("caught")
        survived += result == "SURVIVED"
        print(f"{name}: {before.splitlines()[0].strip()!r} -> {after.splitlines()[0].strip()!r}: {result}", flush=True)
    print(f"{caught} caught, {survived} survived of {caught + survived}")
    # Leave the build matching the restored sources.
    run(["cmake", "--build", str(build), "-j2", "--target", *sorted({t for ts in TESTS.values() for t in ts})], ROOT)
    return 0 if survived == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
