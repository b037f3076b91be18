#!/usr/bin/env python3
"""Write a synthetic Paramics network directory for tests and benchmarks.

    tools/generate-network.py --size small|city|region|half-region|double-city|metro
                              [--variant quadstone|sias] [--seed N] OUTDIR

The network is a town grid (two-way streets, some one-way streets whose
closed direction is a barred link) inside a ring road of arcs, with a
motorway to the south fed by slip roads that join it as on-ramps. Zones tile
the grid; a lookup list renumbers the first tenth of them. Every approach has
next-lane and junction data; some grid junctions are signalised, the others
have give-way rules. Two demand matrices follow an 8-step profile and are
shared by vehicle types; a matrix file, bus stops and routes along the
streets, detectors, message signs and map labels complete it.

The same size, variant and seed always give the same bytes. OUTDIR also gets
manifest.json with the counts the generator knows (the importer ignores it).
"""

import argparse
import json
import math
import os
import random
import sys

SPACING = 200.0          # metres between neighbouring grid junctions

# nodes: junctions of the grid (the ring, motorway and slip roads add a few
# hundred more); links: both directions of every road, barred ones included.
# Zones scale with the square root of the network so that the OD cells of
# the demand matrices grow like the network does.
SIZES = {
    "small": dict(grid=(12, 11), links=500, zones=12, signals=4, routes=6, stops=40, files=2, coach=True),
    "city": dict(grid=(80, 80), links=20000, zones=500, signals=160, routes=150, stops=2400, files=3),
    "double-city": dict(grid=(113, 113), links=40000, zones=707, signals=320, routes=300, stops=4800, files=3),
    "half-region": dict(grid=(99, 99), links=30850, zones=1626, signals=250, routes=600, stops=9500, files=4),
    "region": dict(grid=(141, 141), links=61700, zones=2300, signals=500, routes=1200, stops=19000, files=4),
    "metro": dict(grid=(282, 282), links=246800, zones=4600, signals=2000, routes=4800, stops=76000, files=8),
}

HEADER = "## Synthetic network ({size}, {variant} layout, seed {seed})\n"


class Network:
    """Nodes, links and the derived turning data, in writing order."""

    def __init__(self):
        self.nodes = {}          # id -> (x, y, z, kind)
        self.node_order = []
        self.links = []          # dicts: a, b, cat, lanes, barred, extra (text), file
        self.link_index = {}     # (a, b) -> link dict
        self.out_links = {}      # node -> [b, ...] in link writing order
        self.centres = []        # (x, y, radius)

    def add_node(self, nid, x, y, z=0.0, kind="junction"):
        self.nodes[nid] = (x, y, z, kind)
        self.node_order.append(nid)
        self.out_links.setdefault(nid, [])

    def add_link(self, a, b, cat, lanes, barred=False, extra=""):
        link = dict(a=a, b=b, cat=cat, lanes=lanes, barred=barred, extra=extra, ramps=[])
        self.links.append(link)
        self.link_index[(a, b)] = link
        return link

    def add_road(self, a, b, cat, lanes, one_way=False, extra="", back_extra=None):
        self.add_link(a, b, cat, lanes, extra=extra)
        self.add_link(b, a, cat, lanes, barred=one_way, extra=extra if back_extra is None else back_extra)


CATEGORIES = [
    # number, lanes, speed, unit, width, unit, type, rank, median
    (1, 1, 30, "mph", 12.0, "ft", "urban", "minor", "0.0 m"),
    (2, 2, 50, "kph", 7.0, "m", "urban", "major", "0.0 m"),
    (3, 1, 50, "kph", 3.5, "m", "urban", "major", "0.0 m"),
    (4, 2, 70, "mph", 24.0, "ft", "highway", "major", "3.0 m"),
    (5, 1, 40, "mph", 12.0, "ft", "highway", "major", "0.0 m"),
    (6, 2, 80, "kph", 7.5, "m", "urban", "major", "1.0 m"),
]
CATEGORY_LANES = {c[0]: c[1] for c in CATEGORIES}


def build_network(cfg, rng):
    net = Network()
    width, height = cfg["grid"]
    grid_id = lambda i, j: j * width + i + 1
    for j in range(height):
        for i in range(width):
            kind = "junction"
            extra = ""
            inner = 0 < i < width - 1 and 0 < j < height - 1
            if inner and ((i * 7 + j * 3) % 97 == 11 or (i, j) == (width // 3, height // 3)):
                kind = "roundabout"
            elif (i + j) % 13 == 0:
                extra = "non blocking 100"
            net.add_node(grid_id(i, j), i * SPACING, j * SPACING, round((i % 5) * 0.25, 2), kind + ("  " + extra if extra else ""))

    # Extra nodes (ring, motorway, slip roads) are counted into the link
    # target before the share of vertical streets is worked out.
    ring_count = max(8, 2 * (width + height) // 5)
    motor_count = max(3, width // 6)
    ramp_count = motor_count - 1
    other_roads = ring_count * 2 + (motor_count - 1) + ramp_count * 2
    horizontal = (width - 1) * height
    vertical_all = width * (height - 1)
    wanted = cfg["links"] // 2 - horizontal - other_roads
    keep = min(1.0, max(0.1, wanted / vertical_all))

    # Streets: every row is a two-way main street; the vertical streets are
    # side streets, a share of them dropped and some of them one-way.
    for j in range(height):
        for i in range(width - 1):
            cat = 2 if j % 4 == 0 else 3
            extra = " speed 40 kph" if (i + j) % 17 == 5 else ""
            if (i + 2 * j) % 23 == 7:
                extra += " lanes 2 width 7.2 m"
            net.add_road(grid_id(i, j), grid_id(i + 1, j), cat, CATEGORY_LANES[cat] if "lanes 2" not in extra else 2, extra=extra)
    for i in range(width):
        for j in range(height - 1):
            edge_column = i in (0, width - 1)
            if not edge_column and rng.random() >= keep:
                continue
            one_way = not edge_column and (i + j) % 5 == 2
            cat = 1 if i % 3 == 1 else 3
            extra = " speed 20 mph" if one_way else ""
            if (i * j) % 19 == 3 and not one_way:
                extra += " gradient 2.250000"
                back = " gradient -2.250000"
            else:
                back = extra
            if one_way and j % 2:
                net.add_road(grid_id(i, j + 1), grid_id(i, j), cat, CATEGORY_LANES[cat], one_way=True, extra=extra)
            else:
                net.add_road(grid_id(i, j), grid_id(i, j + 1), cat, CATEGORY_LANES[cat], one_way=one_way, extra=extra, back_extra=back)

    # Ring road of arcs around the grid, tied to the nearest edge junction.
    cx, cy = (width - 1) * SPACING / 2, (height - 1) * SPACING / 2
    radius = math.hypot(cx, cy) + 2 * SPACING
    net.centres.append((cx, cy, radius))
    base = width * height
    ring = []
    for k in range(ring_count):
        angle = 2 * math.pi * k / ring_count
        nid = base + k + 1
        net.add_node(nid, round(cx + radius * math.cos(angle), 2), round(cy + radius * math.sin(angle), 2))
        ring.append(nid)
    for k, nid in enumerate(ring):
        nxt = ring[(k + 1) % ring_count]
        net.add_road(nid, nxt, 6, 2, extra=" arc centre #1", back_extra=" arc centre #1 left")
    for nid in ring:
        x, y = net.nodes[nid][:2]
        i = min(width - 1, max(0, round(x / SPACING)))
        j = min(height - 1, max(0, round(y / SPACING)))
        net.add_road(nid, grid_id(i, j), 2, 2)

    # Motorway south of the ring, eastbound and westbound, with slip roads
    # from the ring that join the westbound carriageway as on-ramps.
    base += ring_count
    my = round(cy - radius - 3 * SPACING, 2)
    span = (width - 1) * SPACING / (motor_count - 1)
    motor = []
    for k in range(motor_count):
        nid = base + k + 1
        net.add_node(nid, round(k * span, 2), my, -2.0)
        motor.append(nid)
    for k in range(motor_count - 1):
        net.add_link(motor[k], motor[k + 1], 4, 2, extra=" type highway")
        west = net.add_link(motor[k + 1], motor[k], 4, 2, extra=" type highway")
        if k < ramp_count:
            west["ramp_index"] = k
    base += motor_count
    south_ring = sorted(ring, key=lambda n: net.nodes[n][1])
    for k in range(ramp_count):
        a, b = motor[k + 1], motor[k]
        ax, ay = net.nodes[a][:2]
        bx, by = net.nodes[b][:2]
        ramp_node = base + 2 * k + 1
        feeder = base + 2 * k + 2
        rx, ry = ax + 0.4 * (bx - ax), ay + 8.0
        net.add_node(ramp_node, round(rx, 2), round(ry, 2), -2.0, "ramp")
        net.add_node(feeder, round(rx + 0.3 * span, 2), round(ry + 2 * SPACING, 2), -1.0)
        start = south_ring[k % len(south_ring)]
        net.add_road(start, feeder, 5, 1, one_way=True)
        net.add_road(feeder, ramp_node, 5, 1, one_way=True, extra=" type highway")
        west = net.link_index[(a, b)]
        west["ramps"].append((ramp_node, 120.0))
    net.grid = (width, height, grid_id)
    return net


def angle_between(p1, p2, p3):
    """Exit angle at p2 from the approach p1->p2 to the exit p2->p3, the way
    the importer orders a link's turnings: right turn first, U-turn last."""
    ax, ay = p1[0] - p2[0], p1[1] - p2[1]
    bx, by = p3[0] - p2[0], p3[1] - p2[1]
    if (ax == 0 and ay == 0) or (bx == 0 and by == 0):
        a = 0.0
    else:
        a = math.atan2(ax * by - ay * bx, ax * bx + ay * by)
        if a <= -math.pi:
            a = math.pi
    if a < 0:
        a += 2 * math.pi
    elif a < 0.001:
        a = 2 * math.pi + 1
    return a


def exits_of(net, link):
    """Exits of a link's end node in the importer's order, with their angle."""
    a, b = link["a"], link["b"]
    p1, p2 = net.nodes[a], net.nodes[b]
    exits = [(angle_between(p1, p2, net.nodes[c]), c) for c in net.out_links[b]]
    exits.sort(key=lambda e: e[0])   # stable, like the importer's bubble sort
    return exits


def lane_plan(net, link):
    """For each lane of the approach, its lane in each exit (0: none).
    Lane 1 (rightmost) also turns right, the last lane also turns left."""
    exits = exits_of(net, link)
    n = link["lanes"]
    plan = []
    for lane in range(1, n + 1):
        row = []
        for angle, c in exits:
            target = net.link_index[(link["b"], c)]
            if target["barred"] or angle > 2 * math.pi:
                row.append(0)
            elif angle < 0.75 * math.pi:
                row.append(1 if lane == 1 else 0)
            elif angle <= 1.25 * math.pi:
                row.append(min(lane, target["lanes"]))
            else:
                row.append(1 if lane == n else 0)
        plan.append(row)
    return exits, plan


def fmt(v):
    return "%.2f" % v


def write_files(net, cfg, args, out):
    header = HEADER.format(size=args.size, variant=args.variant, seed=args.seed)
    sias = args.variant == "sias"
    files = {}
    counts = {}

    # nodes
    lines = [header]
    xs = [p[0] for p in net.nodes.values()]
    ys = [p[1] for p in net.nodes.values()]
    lines.append("Bounding Box %s m %s m %s m %s m\n" % (fmt(min(xs) - 100), fmt(min(ys) - 100), fmt(max(xs) + 100), fmt(max(ys) + 100)))
    roundabouts = 0
    for nid in net.node_order:
        x, y, z, kind = net.nodes[nid]
        roundabouts += kind == "roundabout"
        lines.append("node %12d at %10s m, %10s m, %10s m   %s\n" % (nid, fmt(x), fmt(y), fmt(z), kind))
    files["nodes"] = lines

    # categories and centres
    lines = [header, "categories 1 to 8\n\n"]
    for num, lanes, speed, su, width, wu, kind, rank, median in CATEGORIES:
        lines.append("category %d  lanes %d  speed %d %s  width %.1f %s  colour 0x0000ff00  type %s   %s\n"
                     % (num, lanes, speed, su, width, wu, kind, rank))
        lines.append("\tmedian width %s\n\theadway factor 1.000  curve speed factor 0.0  toll 0.000  cost factor 0.800\n"
                     "\tsignpost 250.0 m,1.0 m\n\n" % median)
    files["categories"] = lines
    lines = [header, "Control Points %d\nArc Centre\n" % (2 * len(net.centres))]
    for k, (x, y, r) in enumerate(net.centres):
        lines.append("#%d at %s m %s m radius %s m\n" % (k + 1, fmt(x), fmt(y), fmt(r)))
    files["centres"] = lines

    # links: the open links split over numbered files, then every barred link
    parts = 1 if sias else cfg["files"]
    open_links = [l for l in net.links if not l["barred"]]
    barred = [l for l in net.links if l["barred"]]
    # A node lists its leaving links in the order the links are read.
    for link in open_links + barred:
        net.out_links[link["a"]].append(link["b"])
    chunk = (len(open_links) + parts - 1) // parts
    ramp_links = 0
    for p in range(parts):
        lines = [header]
        for link in open_links[p * chunk:(p + 1) * chunk]:
            lines.append("link %d %d category %d%s\n" % (link["a"], link["b"], link["cat"], link["extra"]))
            if link["ramps"]:
                ramp_links += 1
                lines.append("on-ramp count %d\n" % len(link["ramps"]))
                for node, length in link["ramps"]:
                    lines.append("ramp from %d length %.1f m right\n" % (node, length))
        if p == parts - 1:
            lines.append("## closed directions of one-way roads\n")
            for link in barred:
                lines.append("link %d %d barred%s\n" % (link["a"], link["b"], link["extra"]))
        files["links" if sias else "links.%d" % p] = lines

    # next lanes and junction data for every approach
    nl, jn = [header, "Next Lanes\n"], [header]
    approaches = 0
    for link in open_links:
        if net.nodes[link["b"]][3] == "ramp":
            continue
        exits, plan = lane_plan(net, link)
        if not any(any(row) for row in plan):
            continue
        approaches += 1
        name = "%d:%d" % (link["a"], link["b"])
        nl.append("link %s\n" % name)
        for lane, row in enumerate(plan, 1):
            nl.append("lane %d next %s\n" % (lane, " ".join(map(str, row))))
        jn.append("junction %s\n" % name)
        for k in range(len(exits)):
            feeding = [str(lane) for lane, row in enumerate(plan, 1) if row[k]]
            if feeding:
                jn.append("out %d lanes %s\n" % (k + 1, " ".join(feeding)))
    files["nextlanes"], files["junctions"] = nl, jn

    # priorities: signalised grid junctions with two phases, give-way rules
    # at the other grid junctions where a side street meets a main street
    width, height, grid_id = net.grid
    candidates = []
    for j in range(1, height - 1):
        for i in range(1, width - 1):
            n = grid_id(i, j)
            nb = [grid_id(i - 1, j), grid_id(i + 1, j), grid_id(i, j - 1), grid_id(i, j + 1)]
            if net.nodes[n][3].startswith("roundabout"):
                continue
            if all((n, m) in net.link_index and not net.link_index[(n, m)]["barred"]
                   and not net.link_index[(m, n)]["barred"] for m in nb):
                candidates.append((n, nb))
    step = max(1, len(candidates) // max(1, cfg["signals"]))
    signalised = candidates[::step][:cfg["signals"]]
    signal_nodes = {n for n, _ in signalised}
    lines = [header]
    for k, (n, (w, e, s, nn)) in enumerate(signalised):
        word = "stage" if sias else "phase"
        lines.append("\nactions signals at node %d\n" % n if sias else "\nactions %d\n" % n)
        lines.append("%s offset %.2f sec\n" % (word, (k * 7) % 60))
        for ph, (a, b, c, d) in enumerate(((w, e, s, nn), (s, nn, w, e)), 1):
            lines.append("%s %d\n\t%.2f\n" % (word, ph, 30.0 - 6 * ph))
            lines.append("\tmin 8.00\n" if sias else "")
            lines.append("\tmax %.2f\nred %s 3.00\n%s\n" % (40.0 - 6 * ph, word, "all barred" if sias else "all barred except"))
            lines.append("from %d to %d major\nfrom %d to %d major\nfrom %d to %d minor\nfrom %d to %d minor\n"
                         % (a, b, b, a, a, d, b, c))
            if sias:
                lines.append("from %d to %d barred\n" % (c, d))
    giveway = 0
    for n in net.node_order:
        if n > width * height or n in signal_nodes:
            continue
        ins = [m for m in net.out_links[n] if not net.link_index[(m, n)]["barred"]]
        outs = [m for m in net.out_links[n] if not net.link_index[(n, m)]["barred"]]
        if len(net.out_links[n]) < 3:
            continue
        giveway += 1
        lines.append("\nactions %d\n" % n)
        yn = net.nodes[n][1]
        for a in ins:
            for b in outs:
                if a == b:
                    continue
                main = net.nodes[a][1] == yn and net.nodes[b][1] == yn
                lines.append("from %d to %d %s\n" % (a, b, "major" if main else "minor"))
    files["priorities"] = lines

    # zones tile the grid; the first tenth is written with survey numbers
    zx = max(1, round(math.sqrt(cfg["zones"] * width / height)))
    zy = max(1, round(cfg["zones"] / zx))
    zx, zy = min(zx, width), min(zy, height)
    zone_count = zx * zy
    survey = max(1, zone_count // 10)
    lines = [header, "Zone Count %d\n\nlookup\n" % zone_count]
    for z in range(1, survey + 1):
        lines.append("%d %d\n" % (z, 100000 + z))
    written = []
    for bj in range(zy):
        for bi in range(zx):
            z = bj * zx + bi + 1
            written.append(100000 + z if z <= survey else z)
            i0, i1 = bi * width // zx, (bi + 1) * width // zx - 1
            j0, j1 = bj * height // zy, (bj + 1) * height // zy - 1
            x0, x1 = i0 * SPACING - SPACING / 2 + 1, i1 * SPACING + SPACING / 2 - 1
            y0, y1 = j0 * SPACING - SPACING / 2 + 1, j1 * SPACING + SPACING / 2 - 1
            lines.append("\nzone %d 4\n" % written[-1])
            for px, py in ((x0, y0), (x0, y1), (x1, y1), (x1, y0)):
                lines.append("%s m %s m\n" % (fmt(px), fmt(py)))
            lines.append("max %s m %s m\nmin %s m %s m\ncentroid %s m %s m\n"
                         % (fmt(x1), fmt(y1), fmt(x0), fmt(y0), fmt((x0 + x1) / 2 + 10), fmt((y0 + y1) / 2 - 10)))
    files["zones"] = lines

    # demands: two matrices over every zone, each following its own profile
    rng = random.Random(args.seed * 7919 + 1)
    lines = [header, "demand period 1\nmatrix count 2\ndivisor 2.0000\n"]
    for m in (1, 2):
        if m == 2:
            lines.append("\nperiod 2\n" if sias else "\ndemand period 2\n")
        lines.append("matrix %d\n" % m)
        density = 0.15 if m == 1 else 0.05
        top = 40 if m == 1 else 8
        for o in written:
            row = ["%d" % (2 * rng.randint(1, top)) if rng.random() < density else "0" for _ in written]
            lines.append("from %d %s\n" % (o, " ".join(row)))
    files["demands"] = lines

    # profile: 8 steps of 15 minutes from 07:00 for both matrices
    shapes = ((8.0, 10.0, 12.0, 15.0, 16.0, 14.0, 13.0, 12.0), (10.0, 12.0, 13.0, 14.0, 14.0, 13.0, 12.0, 12.0))
    if sias:
        lines = [header, "profile count 2\ndivisor 1.0\n"]
        for p, shape in enumerate(shapes, 1):
            lines.append("\nprofile %d\ninterval 15\nhour 07: %s\nhour 08: %s\n"
                         % (p, "  ".join("%.1f" % v for v in shape[:4]), "  ".join("%.1f" % v for v in shape[4:])))
    else:
        lines = [header, "Interval 15\nperiod count 2\ndivisor 1.0\n"]
        for p, shape in enumerate(shapes, 1):
            lines.append("\nperiod %d\nstart 07:00:00\n\t%s\n\t%s\n"
                         % (p, "  ".join("%.1f" % v for v in shape[:4]), "  ".join("%.1f" % v for v in shape[4:])))
    files["profile"] = lines

    # matrix file: whole-hour trips between the first zones
    first = written[:min(len(written), 40)]
    lines = [header, "matrix count 3\n\nmatrix 3\n"]
    for o in first:
        lines.append("from %d: %s\n" % (o, " ".join(str(rng.randint(0, 4)) for _ in first)))
    files["matrix"] = lines

    # vehicle types: cars and vans share matrix 1, lorries use matrix 2,
    # buses run the routes; the small network adds coaches on matrix 3
    types = [
        ("1 car", "top speed 110.00 kph crawl speed 80.50 kph", '"Car"', "matrix 1 proportion 85.000 perturbation 25.0 familiarity 85.00"),
        ("2 lgv \tlength 5.50 m", "top speed 100.00 kph crawl speed 64.40 kph", '"Van"', "matrix 1 proportion 15.000 perturbation 25.0 familiarity 85.00"),
        ("3 ogv1 \tlength 30.00 ft \tpcus 1.50", "top speed 56.00 mph crawl speed 30.00 mph", '"Lorry"', "matrix 2 proportion 100.000 perturbation 10.0 familiarity 90.00"),
        ("4 bus \tlength 12.00 m \ttop speed 65.00 kph pcus 3.00 crawl speed 48.30 kph colour 0x0000ff00", None, '"Bus"', "capacity 90 entry doors 1 exit doors 2\n\tfixed route"),
    ]
    if cfg.get("coach"):
        types.append(("5 coach \tlength 12.00 m \tpcus 2.00", "top speed 100.00 kph crawl speed 48.30 kph", '"Coach"', "matrix 3 proportion 100.000 perturbation 5.0 familiarity 95.00"))
    lines = [header, "vehicle types\n"]
    for head, speeds, name, tail in types:
        lines.append("\ntype %s\n%s\tname %s\n\t%s\n" % (head, "\t%s\n" % speeds if speeds else "", name, tail))
    files["vehicles"] = lines

    # bus routes along the two-way main streets, one stop on every link
    base_stops, extra_stops = divmod(cfg["stops"], cfg["routes"])
    stops, routes = [header, "busstops\n\n"], [header, "bus route count %d\n" % cfg["routes"]]
    stop_number = 0
    for r in range(cfg["routes"]):
        count = base_stops + (1 if r < extra_stops else 0)
        count = min(count, width - 1)
        row = (r * 7) % height
        start = (r * 13) % (width - count)
        cols = list(range(start, start + count + 1))
        if r % 2:
            cols.reverse()
        path = [grid_id(i, row) for i in cols]
        routes.append('\n\nnumber "R%d"\nservice: "R%d Line %d"\nmax number: 40\ntype 4\nuse service colour\ntimetable 15\n'
                      % (r + 1, r + 1, r + 1))
        for k in range(4):
            routes.append("\trelease time %02d:%02d:00  starting occupancy 5\n" % (7 + k // 4, (r % 15) + 15 * (k % 4)))
        for a, b in zip(path, path[1:]):
            stop_number += 1
            pos = 40.0 + (stop_number % 7) * 15.0
            if stop_number % 3 == 0:
                stops.append('%d %d:%d %.1f ft "Stop %d" zone 65.000000 ft\n' % (stop_number, a, b, pos / 0.33, stop_number))
            else:
                stops.append('%d %d:%d %.1f m "Stop %d" zone 20.000000 m\n' % (stop_number, a, b, pos, stop_number))
            routes.append("node %d\n\tbusstop %d\n\tdwell time mode 3\n\tmean dwell time 00:00:15 with deviation 00:00:05\n"
                          "\tmin stop time 00:00:05\n\talight 5 per hour\n" % (a, stop_number))
        routes.append("node %d\n" % path[-1])
    files["busstops"], files["busroutes"] = stops, routes

    # detectors, message signs, labels
    det = [header]
    mains = [l for l in open_links if l["cat"] == 2]
    detectors = mains[::max(1, len(mains) // max(4, len(open_links) // 100))]
    for k, l in enumerate(detectors):
        kind = "sloop" if k % 4 == 3 else "loop"
        det.append('%s "D%d" at %.1f m on link %d:%d length 2.0 m mode %s\n'
                   % (kind, k + 1, 40.0 + k % 5 * 20, l["a"], l["b"], "count" if kind == "sloop" else "presence"))
    files["detectors"] = det
    signs = mains[3::max(1, len(mains) // max(2, len(open_links) // 500))]
    bea = [header, "beacon count %d\n" % len(signs)]
    for k, l in enumerate(signs):
        bea.append('vms "VMS-%d" at %.1f m on link %d:%d message "QUEUE AHEAD %d"\n' % (k + 1, 50.0 + k % 3 * 30, l["a"], l["b"], k + 1))
    files["beacons"] = bea
    ann = [header]
    labels = 0
    for z in range(0, zone_count, max(1, zone_count // 50)):
        x, y = (z % zx) * width // zx * SPACING, (z // zx) * height // zy * SPACING
        labels += 1
        if sias:
            ann.append('text\ncolour 0x00ffffff %.1f m %.1f m 20.0 m "Zone %d"\n' % (x + 30, y + 30, z + 1))
        else:
            ann.append('text\ncolour 0x00ffffff (%.1f ,%.1f ,0.0) "Zone %d"\n' % (x + 30, y + 30, z + 1))
    if sias:
        ann.append("line\ncolour 0x00808080 %.1f m %.1f m %.1f m %.1f m\n" % (-100.0, -100.0, (width - 1) * SPACING + 100, -100.0))
        ann.append("circle\ncolour 0x00808080 %.1f m %.1f m 25.0 m\n" % (SPACING, SPACING))
    else:
        ann.append("line\ncolour 0x00808080 (%.1f ,%.1f ,0.0) (%.1f ,%.1f ,0.0)\n" % (-100.0, -100.0, (width - 1) * SPACING + 100, -100.0))
        ann.append("circle\ncolour 0x00808080 (%.1f ,%.1f ,0.0) 25.0\n" % (SPACING, SPACING))
    files["annotation"] = ann
    if sias:
        files["configuration"] = [header, "start time  07:00:00\nsimulation time  02:00:00\nstop delay  2.500\n"
                                  "to red time  2.000\nright hand drive\nunits metric\n"]

    os.makedirs(out, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write("".join(content))

    steps = 8
    matrix_types = {1: 2, 2: 1, 3: 1 if cfg.get("coach") else 0}
    counts.update(
        nodes=len(net.nodes) - ramp_count_of(net),
        rampNodes=ramp_count_of(net),
        links=len(net.links),
        barredLinks=len(barred),
        openLinks=len(open_links),
        rampLinks=ramp_links,
        roundabouts=roundabouts,
        approaches=approaches,
        zones=zone_count,
        lookupZones=survey,
        signalisedJunctions=len(signalised),
        giveWayJunctions=giveway,
        vehicleTypes=len(types),
        demandMatrices=steps * (matrix_types[1] + matrix_types[2]) + matrix_types[3],
        busRoutes=cfg["routes"],
        busStops=stop_number,
        detectors=len(detectors),
        beacons=len(signs),
        labels=labels,
        lines=1,
        circles=1,
        linkFiles=parts,
    )
    with open(os.path.join(out, "manifest.json"), "w", encoding="utf-8") as f:
        json.dump(dict(size=args.size, variant=args.variant, seed=args.seed, counts=counts), f, indent=1, sort_keys=True)
        f.write("\n")
    return counts


def ramp_count_of(net):
    return sum(1 for p in net.nodes.values() if p[3] == "ramp")


def main():
    parser = argparse.ArgumentParser(description="Write a synthetic Paramics network directory.")
    parser.add_argument("--size", choices=sorted(SIZES), required=True)
    parser.add_argument("--variant", choices=("quadstone", "sias"), default="quadstone")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("outdir")
    args = parser.parse_args()
    cfg = SIZES[args.size]
    rng = random.Random(args.seed)
    net = build_network(cfg, rng)
    counts = write_files(net, cfg, args, args.outdir)
    print("%s: %d nodes, %d links, %d zones, %d bus stops" % (args.outdir, counts["nodes"], counts["links"], counts["zones"], counts["busStops"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
