#!/usr/bin/env python3
"""Fault injection for the builders of network/ and traffic/.

Applies one one-line change (a count, a comparison, a swapped branch, a
sign) to a builder source at a time, rebuilds the test programs that drive
that builder (with --folder: every test program of tests/network/ or
tests/traffic/), runs them, and reports whether a test caught the change.
The source is always restored afterwards.

usage: tools/mutate-builders.py [--build DIR] [--only N[,N...]] [--folder] [--list]
Run from the project root after a normal build; ends with the score.
"""

import argparse
import glob
import os
import subprocess
import sys

# (file, original text, mutated text): the original occurs once in the file.
MUTATIONS = [
    ("network/linkupdater.cpp", "from = laneCount - from;", "from = laneCount - from - 1;"),
    ("network/linkupdater.cpp", "link->twoWay = !(opposite && opposite->barred);", "link->twoWay = !(opposite && !opposite->barred);"),
    ("network/linkupdater.cpp", "const int nextLaneCount = next ? next->lanes : 0;", "const int nextLaneCount = next ? next->lanes - 1 : 0;"),
    ("network/sectionbuilder.cpp", "laneCount = std::max(lanes, defaultLanes);", "laneCount = std::min(lanes, defaultLanes);"),
    ("network/sectionbuilder.cpp", "return category.lanes > 0 ? category.lanes : 1;", "return category.lanes >= 0 ? category.lanes : 1;"),
    ("network/sectionbuilder.cpp", "if (link->roadType.isEmpty())", "if (!link->roadType.isEmpty())"),
    ("network/sectionbuilder.cpp", "startNode->increaseSectionCount();", ";"),
    ("network/sectionbuilder.cpp", "if (!link || link->barred)", "if (!link)"),
    ("network/sectiongeometry.cpp", "    if (originCut + destinationCut + ShortPieceLength < length)\n", "    if (originCut + destinationCut < length)\n"),
    ("network/sectiongeometry.cpp", "if (originCut + destinationCut + ShortPieceLength < length) {", "if (originCut + destinationCut < length) {"),
    ("network/sectiongeometry.cpp", "if (entering == 1 && leaving == 1)", "if (entering == 1 || leaving == 1)"),
    ("network/sectiongeometry.cpp", "return entering + leaving + laneWidth;", "return entering + laneWidth;"),
    ("network/sectiongeometry.cpp", "return rightHandDrive ? distance : -distance;", "return rightHandDrive ? -distance : distance;"),
    ("network/sectiongeometry.cpp", "(lanes * 0.5) + DirectionGap;", "(lanes * 0.5) - DirectionGap;"),
    ("network/sectiongeometry.cpp", "if (angle2 - angle1 > CVPI || angle1 - angle2 > CVPI)", "if (angle2 - angle1 > CVPI)"),
    ("network/sectiongeometry.cpp", "if (startAngle < 0)", "if (startAngle > 0)"),
    ("network/sectiongeometry.cpp", "links.value(ParamicsLink::linkName(link->to, link->from), nullptr);", "links.value(ParamicsLink::linkName(link->from, link->to), nullptr);"),
    ("network/sectiongeometry.cpp", "const CVSegment secondHalf = CVSegment(middle, end).parallelDist(0, shift);", "const CVSegment secondHalf = CVSegment(middle, end).parallelDist(0, -shift);"),
    ("network/nodebuilder.cpp", "if (zone && zone->contains(record->position))", "if (zone)"),
    ("network/nodebuilder.cpp", "if (record->type == ParamicsNode::Roundabout)", "if (record->type != ParamicsNode::Roundabout)"),
    ("network/turningbuilder.cpp", "next->from == link->to && next->to == link->from;", "next->from == link->to && next->to != link->from;"),
    ("network/turningbuilder.cpp", "return next->from == link->to && !turning.barred;", "return next->from == link->to;"),
    ("network/turningbuilder.cpp", "if (turning.originFromLane > -1 && turning.originToLane > -1)", "if (turning.originFromLane > 0 && turning.originToLane > -1)"),
    ("network/turningbuilder.cpp", "link->increaseOutTurnings();", ";"),
    ("network/rampbuilder.cpp", "constexpr double RampCutDistance = 30.0;", "constexpr double RampCutDistance = 20.0;"),
    ("network/rampbuilder.cpp", "section->addLane(lane, right ? -1 : 0);", "section->addLane(lane, right ? 0 : -1);"),
    ("network/rampbuilder.cpp", "second->removeLastLane();", "second->removeLane(0);"),
    ("network/rampbuilder.cpp", "afterLength <= rampLength ? afterLength * 2.0 / 3.0 : rampLength", "afterLength >= rampLength ? afterLength * 2.0 / 3.0 : rampLength"),
    ("network/rampbuilder.cpp", "target = sectionLaneCount(section) - 1;", "target = 0;"),
    ("network/rampbuilder.cpp", "turning->setOriginLanes(turning->getOriginFromLane() + 1, turning->getOriginToLane() + 1);", "turning->setOriginLanes(turning->getOriginFromLane(), turning->getOriginToLane() + 1);"),
    ("network/centroidbuilder.cpp", "if (node && node->sectionCount < best) {", "if (node && node->sectionCount <= best) {"),
    ("network/centroidbuilder.cpp", "if (!link || link->barred || link->outTurnings != 0)", "if (!link || link->barred || link->inTurnings != 0)"),
    ("network/turningrepair.cpp", "return std::max(std::min(lane, last), first);", "return std::min(std::max(lane, first), last + 1);"),
    ("network/turningrepair.cpp", "CVTurning* moved = std::fabs(a2) < std::fabs(a1) ? t1 : t2;", "CVTurning* moved = std::fabs(a2) < std::fabs(a1) ? t2 : t1;"),
    ("network/turningrepair.cpp", "if (angle > 0.0) {", "if (angle < 0.0) {"),
    ("network/turningrepair.cpp", "return std::fabs(angles.value(a)) < std::fabs(angles.value(b));", "return std::fabs(angles.value(a)) > std::fabs(angles.value(b));"),
    ("network/turningrepair.cpp", "if (!overlapping || !(to1 - from2 + 1u > 1u || to2 - from1 + 1u > 1u))", "if (!overlapping)"),
    ("traffic/signalcontrolbuilder.cpp", "return phase.time == 0.0 ? phase.maxTime : phase.time;", "return phase.time != 0.0 ? phase.maxTime : phase.time;"),
    ("traffic/signalcontrolbuilder.cpp", "cycle += phaseDuration(phase) + phase.red + record->toRedTime;", "cycle += phaseDuration(phase) + phase.red;"),
    ("traffic/signalcontrolbuilder.cpp", "if (phaseRecord.red > 0) {", "if (phaseRecord.red >= 0) {"),
    ("traffic/signalcontrolbuilder.cpp", "const double clearance = phaseRecord.red + toRedTime;", "const double clearance = phaseRecord.red;"),
    ("traffic/signalcontrolbuilder.cpp", "if (node->getSignalPos(signal->getId()) == 0) {", "if (node->getSignalPos(signal->getId()) != 0) {"),
    ("traffic/signalcontrolbuilder.cpp", "junction->setYellowTime(stopDelay);", "junction->setYellowTime(toRedTime);"),
    ("traffic/vehiclebuilder.cpp", '{"bus", 10.0, ParamicsBaseVehicle::NotGiven, 61.2, 0.9, 3.2},', '{"bus", 10.0, 2.5, 61.2, 0.9, 3.2},'),
    ("traffic/demandbuilder.cpp", "if (share > 0.0f) {", "if (share >= 0.0f) {"),
    ("traffic/demandbuilder.cpp", "offset += profile.interval;", "offset += profile.interval / 2;"),
    ("traffic/demandbuilder.cpp", "return ((double(share) * value) / 100.0) * proportion;", "return ((double(share) * value) / 10.0) * proportion;"),
    ("traffic/demandbuilder.cpp", "if (i == j || !zones.at(i).centroid || !zones.at(j).centroid)", "if (!zones.at(i).centroid || !zones.at(j).centroid)"),
    ("traffic/demandbuilder.cpp", "if (it.value() != i)", "if (true)"),
    ("traffic/demandbuilder.cpp", "fileODMatrix(matrix, false);", "fileODMatrix(matrix, true);"),
    ("traffic/publictransportbuilder.cpp", "const int kerbLane = rightHandDrive ? SectionPlacement::lastLane(section) : 0;", "const int kerbLane = rightHandDrive ? 0 : SectionPlacement::lastLane(section);"),
    ("traffic/publictransportbuilder.cpp", "if (!line->isStopUsed(stop))", "if (true)"),
    ("traffic/publictransportbuilder.cpp", "for (int i = 1; i < route.routeNodes.size(); ++i) {", "for (int i = 2; i < route.routeNodes.size(); ++i) {"),
    ("traffic/devicebuilder.cpp", "detector->setLanes(0, SectionPlacement::lastLane(section));", "detector->setLanes(1, SectionPlacement::lastLane(section));"),
    ("traffic/devicebuilder.cpp", "label->setHeight(height > MinimumLabelHeight ? height : MinimumLabelHeight);", "label->setHeight(height < MinimumLabelHeight ? height : MinimumLabelHeight);"),
    ("traffic/sectionplacement.cpp", "return qMax(0, sectionLaneCount(section) - 1);", "return sectionLaneCount(section) - 1;"),
]


# The test programs that drive each builder source.
DRIVING_TESTS = {
    "network/linkupdater.cpp": ["tst_nodebuilder", "tst_sectionbuilder"],
    "network/sectionbuilder.cpp": ["tst_sectionbuilder"],
    "network/sectiongeometry.cpp": ["tst_sectionbuilder"],
    "network/nodebuilder.cpp": ["tst_nodebuilder", "tst_centroidbuilder"],
    "network/turningbuilder.cpp": ["tst_nodebuilder"],
    "network/rampbuilder.cpp": ["tst_rampbuilder"],
    "network/centroidbuilder.cpp": ["tst_centroidbuilder"],
    "network/turningrepair.cpp": ["tst_turningrepair"],
    "traffic/signalcontrolbuilder.cpp": ["tst_trafficbuilders"],
    "traffic/vehiclebuilder.cpp": ["tst_trafficbuilders"],
    "traffic/demandbuilder.cpp": ["tst_trafficbuilders"],
    "traffic/publictransportbuilder.cpp": ["tst_publictransportbuilder"],
    "traffic/devicebuilder.cpp": ["tst_devicebuilder"],
    "traffic/sectionplacement.cpp": ["tst_devicebuilder", "tst_publictransportbuilder"],
}


def tests_of(path, whole_folder):
    if not whole_folder:
        return DRIVING_TESTS[path]
    folder = path.split("/")[0]
    return sorted(os.path.basename(p)[:-4] for p in glob.glob("tests/%s/tst_*.cpp" % folder))


def run(command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def try_mutation(build, path, original, mutated, whole_folder):
    with open(path) as f:
        text = f.read()
    if text.count(original) != 1:
        return "not applicable"
    tests = tests_of(path, whole_folder)
    try:
        with open(path, "w") as f:
            f.write(text.replace(original, mutated))
        if run(["cmake", "--build", build, "-j2", "--target"] + tests).returncode != 0:
            return "does not build"
        pattern = "^(%s)$" % "|".join(tests)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        result = subprocess.run(["ctest", "--test-dir", build, "-R", pattern, "--timeout", "120"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env)
        return "caught" if result.returncode != 0 else "SURVIVED"
    finally:
        with open(path, "w") as f:
            f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--only", help="comma-separated mutation numbers (from --list)")
    parser.add_argument("--folder", action="store_true", help="run every test of the builder's folder")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    chosen = range(1, len(MUTATIONS) + 1)
    if args.only:
        chosen = [int(n) for n in args.only.split(",")]
    if args.list:
        for n, (path, original, mutated) in enumerate(MUTATIONS, 1):
            print("%2d %s: %s -> %s" % (n, path, original.strip(), mutated.strip()))
        return 0
    counts = {}
    for n in chosen:
        path, original, mutated = MUTATIONS[n - 1]
        outcome = try_mutation(args.build, path, original, mutated, args.folder)
        counts[outcome] = counts.get(outcome, 0) + 1
        print("%2d %-9s %s: %s -> %s" % (n, outcome, path, original.strip(), mutated.strip()), flush=True)
    valid = counts.get("caught", 0) + counts.get("SURVIVED", 0)
    print("caught %d of %d (%s)" % (counts.get("caught", 0), valid,
                                    ", ".join("%s %d" % item for item in sorted(counts.items()))))
    # Leave the build matching the restored sources.
    run(["cmake", "--build", args.build, "-j2"])
    return 0 if counts.get("SURVIVED", 0) == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
