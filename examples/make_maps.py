#!/usr/bin/env python3
"""Writes the maps and the county database of the Millbrook example.

MillbrookLanduse.bmp, MillbrookSoil.bmp and MillbrookCounty.bmp (24-bit BMP,
560 x 420 px) and
MillbrookDB.sqlite (table "County"), and rewrites the lists after line 19 of
Millbrook.prj (counties with their label positions, the land-use legend and
the soil legend). Everything follows from the constants below and the seed, so
the same script gives the same bytes on every machine:

    python3 examples/make_maps.py

Layout of a map. The land-use and soil maps carry their legend along the top
edge: box i covers columns 18*i+1 .. 18*i+16 and rows 1..10 (the program reads
each colour at column 18*i+9, row 5); the gaps between boxes are white, which
no legend names. Below the legend the watershed is drawn: an irregular outline
split into the three sub-basins, each filled with patches whose land uses (or
soils) are drawn with the sub-basin's own area shares; outside the watershed
is the background colour; the streams are black (no legend entry either).
The county map shows the same sub-basins, each with its name written inside
the 160 x 50 px box whose top-left corner is the position listed in the
project file, and, unlabelled, parts of two neighbouring counties. The
database holds the sub-basins (IDs 1-3, the project's county list) and the two
neighbours (IDs 4 and 5).
"""
import math
import os
import random
import sqlite3
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Millbrook")
SEED = 2024
WIDTH, HEIGHT = 560, 420
TOP = 20  # first row below the legend

# ha per land use, as in make_tables.py (corn .. residential high density)
AREAS = {
    "upper": [600, 300, 900, 700, 5200, 1500, 250, 250, 100, 30],
    "cedar": [1800, 1400, 1300, 1100, 1900, 300, 350, 450, 250, 20],
    "whole": [3400, 2300, 3100, 2600, 11800, 3200, 1100, 1600, 2400, 900],
}
AREAS["lower"] = [w - u - c for w, u, c in zip(AREAS["whole"], AREAS["upper"], AREAS["cedar"])]

LAND_USE_LEGEND = [
    ("0", "Background", (235, 235, 220)),
    ("1", "Corn", (255, 215, 0)),
    ("2", "Soybeans", (190, 160, 60)),
    ("3", "Hay", (170, 210, 90)),
    ("4", "Pasture", (210, 235, 150)),
    ("5", "Forest (deciduous)", (40, 140, 50)),
    ("6", "Forest (conifer)", (10, 90, 60)),
    ("7", "Wetland", (110, 180, 200)),
    ("8", "Idle/shrub", (200, 170, 130)),
    ("9", "Residential, low density", (240, 130, 120)),
    ("10", "Residential, high density/commercial", (200, 30, 40)),
]
SOIL_LEGEND = [
    ("0", "Outside the watershed", (235, 235, 220)),
    ("A", "Chenango gravelly loam (A)", (250, 225, 160)),
    ("B", "Howard-Palmyra loam (B)", (215, 175, 110)),
    ("C", "Volusia channery silt loam (C)", (170, 120, 80)),
    ("D", "Canandaigua mucky silt loam (D)", (110, 80, 60)),
    ("W", "Alluvial land, wet", (130, 150, 190)),
]
# Share of each soil in a sub-basin (background excluded); they add up to 1.
SOIL_SHARES = {
    "upper": [.30, .25, .35, .02, .08],
    "cedar": [.10, .45, .30, .10, .05],
    "lower": [.15, .35, .25, .15, .10],
}

# Counties: name, label position (px), county-map fill. The first three are
# the example's sub-basins, listed in the project file; IDs in the database
# follow this order.
COUNTIES = [
    ("Upper Millbrook", (140, 60), (255, 236, 179)),
    ("Cedar Run", (60, 210), (200, 230, 201)),
    ("Lower Millbrook", (360, 300), (187, 222, 251)),
    ("Harlan County", (390, 40), (215, 215, 215)),
    ("Wexford County", (20, 350), (230, 230, 230)),
]
SUB_BASINS = 3
HA_TO_ACRE = 2.471054


# ---- geometry ---------------------------------------------------------------
def inside_watershed(x, y):
    """An egg-shaped outline with a wavy edge."""
    cx, cy = 290, 230
    dx, dy = (x - cx) / 250.0, (y - cy) / 185.0
    r = dx * dx + dy * dy
    wobble = .05 * math.sin(x / 17.0) + .04 * math.cos(y / 11.0)
    return r < .92 + wobble


def sub_basin(x, y):
    """upper (north-east), cedar (west), lower (south-east)."""
    if x < 200 + (y - 230) * .35:
        return "cedar"
    if y < 200 - (x - 300) * .25:
        return "upper"
    return "lower"


def county_of(x, y):
    if inside_watershed(x, y):
        return {"upper": 0, "cedar": 1, "lower": 2}[sub_basin(x, y)]
    return 3 if x + (HEIGHT - y) * .8 > 470 else 4


MAIN_STEM = [(455, 60), (425, 130), (400, 200), (377, 270), (350, 340), (335, 405)]
CEDAR_RUN = [(85, 205), (170, 230), (270, 250), (377, 270)]


def near_line(points, x, y, width):
    for (x1, y1), (x2, y2) in zip(points, points[1:]):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / float(dx * dx + dy * dy)))
        if (x1 + t * dx - x) ** 2 + (y1 + t * dy - y) ** 2 < width * width:
            return True
    return False


def on_stream(x, y):
    """The main stem runs from the north-east to the outlet in the south; Cedar
    Run joins it from the west."""
    return inside_watershed(x, y) and (near_line(MAIN_STEM, x, y, 1.6) or
                                       near_line(CEDAR_RUN, x, y, 1.2))


# ---- patches: seeded points, each with a category drawn by area share --------
def make_patches(rng, weights_by_basin, count):
    patches = []
    while len(patches) < count:
        x, y = rng.uniform(0, WIDTH), rng.uniform(TOP, HEIGHT)
        if not inside_watershed(x, y):
            continue
        weights = weights_by_basin[sub_basin(x, y)]
        patches.append((x, y, rng.choices(range(1, len(weights) + 1), weights)[0]))
    return patches


class Patches:
    """Nearest-patch lookup through 32 px buckets (the patches lie closer than that)."""

    def __init__(self, patches):
        self.buckets = {}
        for p in patches:
            self.buckets.setdefault((int(p[0]) // 32, int(p[1]) // 32), []).append(p)

    def nearest(self, x, y):
        best, best_d = 0, 1e18
        bx, by = x // 32, y // 32
        for i in range(bx - 2, bx + 3):
            for j in range(by - 2, by + 3):
                for px, py, cat in self.buckets.get((i, j), ()):
                    d = (px - x) ** 2 + (py - y) ** 2
                    if d < best_d:
                        best, best_d = cat, d
        return best


# ---- a small 5 x 7 font for the county names ---------------------------------
FONT = {
    "A": "01110 10001 10001 11111 10001 10001 10001", "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110", "D": "11110 10001 10001 10001 10001 10001 11110",
    "E": "11111 10000 10000 11110 10000 10000 11111", "F": "11111 10000 10000 11110 10000 10000 10000",
    "H": "10001 10001 10001 11111 10001 10001 10001", "I": "01110 00100 00100 00100 00100 00100 01110",
    "K": "10001 10010 10100 11000 10100 10010 10001", "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001", "N": "10001 11001 10101 10011 10001 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110", "P": "11110 10001 10001 11110 10000 10000 10000",
    "R": "11110 10001 10001 11110 10100 10010 10001", "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110", "W": "10001 10001 10001 10101 10101 10101 01010",
    "X": "10001 10001 01010 00100 01010 10001 10001", "Y": "10001 10001 01010 00100 00100 00100 00100",
    " ": "00000 00000 00000 00000 00000 00000 00000",
}


def draw_text(pixels, text, x0, y0, scale, colour):
    for n, ch in enumerate(text.upper()):
        rows = FONT[ch].split()
        for r, bits in enumerate(rows):
            for c, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            x, y = x0 + n * 6 * scale + c * scale + dx, y0 + r * scale + dy
                            if 0 <= x < WIDTH and 0 <= y < HEIGHT:
                                pixels[y][x] = colour


# ---- BMP ---------------------------------------------------------------------
def write_bmp(name, pixels):
    row_bytes = (WIDTH * 3 + 3) // 4 * 4
    body = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        body += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + body)


def legend_map(legend, patches):
    white, black = (255, 255, 255), (0, 0, 0)
    pixels = [[white] * WIDTH for _ in range(HEIGHT)]
    for i, (_, _, colour) in enumerate(legend):
        for y in range(1, 11):
            for x in range(18 * i + 1, 18 * i + 17):
                pixels[y][x] = colour
    for y in range(TOP, HEIGHT):
        for x in range(WIDTH):
            if on_stream(x, y):
                pixels[y][x] = black
            elif inside_watershed(x, y):
                pixels[y][x] = legend[patches.nearest(x, y)][2]
            else:
                pixels[y][x] = legend[0][2]
    return pixels


def county_map():
    pixels = [[(255, 255, 255)] * WIDTH for _ in range(HEIGHT)]
    owner = [[county_of(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            c = owner[y][x]
            edge = (x + 1 < WIDTH and owner[y][x + 1] != c) or (y + 1 < HEIGHT and owner[y + 1][x] != c)
            pixels[y][x] = (90, 90, 90) if edge else COUNTIES[c][2]
            if on_stream(x, y):
                pixels[y][x] = (30, 80, 200)
    for name, (lx, ly), _ in COUNTIES[:SUB_BASINS]:
        words = name.upper().split()
        for n, word in enumerate(words):
            draw_text(pixels, word, lx + 6, ly + 6 + n * 18, 2, (0, 0, 0))
    return pixels


# ---- the county database -----------------------------------------------------
def county_rows(rng):
    """ID, name, acres, share in the basin, population, the six land-use shares
    (urban, agricultural, forest, exposed, herbaceous wetland, water), point sources."""
    rows = []
    populations = {"upper": 2140, "cedar": 4870, "lower": 9630}
    sources = {"upper": "None", "cedar": "Cedar Run cheese plant (.02 MGD)",
               "lower": "Millbrook WWTP (1.1 MGD)"}
    for key, (name, _, _) in zip(("upper", "cedar", "lower"), COUNTIES):
        a = AREAS[key]
        total = float(sum(a))
        shares = [(a[8] + a[9]) / total, sum(a[0:4]) / total, (a[4] + a[5]) / total,
                  a[7] / total, a[6] / total, 0.0]
        rows.append([name, round(total * HA_TO_ACRE, 1), 1.0, populations[key]] + shares +
                    [sources[key]])
    for name, _, _ in COUNTIES[3:]:
        acres = round(rng.uniform(180000, 320000), 1)
        raw = [rng.uniform(.03, .08), rng.uniform(.3, .5), rng.uniform(.3, .45),
               rng.uniform(.005, .02), rng.uniform(.01, .04), rng.uniform(.005, .02)]
        shares = [round(v / sum(raw), 4) for v in raw]
        shares[2] = round(1 - sum(shares) + shares[2], 4)  # forest takes the rounding
        rows.append([name, acres, round(rng.uniform(.03, .12), 4),
                     int(rng.uniform(21000, 64000)), *shares, "See county permits"])
    return [[i + 1] + r for i, r in enumerate(rows)]


def write_database(rows):
    path = os.path.join(HERE, "MillbrookDB.sqlite")
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.execute('CREATE TABLE [County] ([ID] INTEGER NOT NULL, [County Name] TEXT, '
               '[Area (acre)] REAL, [Pct in Basin] REAL, [Population] INTEGER, [Urban] REAL, '
               '[Agricultural land] REAL, [Forest] REAL, [Exposed land] REAL, '
               '[Herbacious wetland] REAL, [Water] REAL, [Point Sources] TEXT, '
               'CONSTRAINT [PrimaryKey] PRIMARY KEY ([ID]))')
    db.executemany("INSERT INTO [County] VALUES (?,?,?,?,?,?,?,?,?,?,?,?)", rows)
    db.commit()
    db.execute("VACUUM")
    db.close()


# ---- the project file's lists -------------------------------------------------
def rewrite_project():
    path = os.path.join(HERE, "Millbrook.prj")
    with open(path, newline="") as f:
        lines = f.read().split("\n")
    head = lines[:19]
    names = {5: "MillbrookLanduse.bmp", 6: "MillbrookCounty.bmp", 7: "MillbrookSoil.bmp",
             8: "MillbrookDB.sqlite"}
    for i, name in names.items():
        key = head[i].split(",")[0]
        head[i] = '%s, "%s"' % (key, name)
    out = head + ["***County#,%d" % SUB_BASINS]
    out += ['"%s",%d,%d' % (name, x, y) for name, (x, y), _ in COUNTIES[:SUB_BASINS]]
    out += ["***LandUse+Bkgrnd#, %d" % len(LAND_USE_LEGEND)]
    out += ['"%s","%s"' % (code, name) for code, name, _ in LAND_USE_LEGEND]
    out += ["***Soil#, %d" % len(SOIL_LEGEND)]
    out += ['"%s","%s"' % (code, name) for code, name, _ in SOIL_LEGEND]
    with open(path, "w", newline="") as f:
        f.write("\n".join(out) + "\n")


def main():
    rng = random.Random(SEED)
    lu_weights = {k: AREAS[k] for k in ("upper", "cedar", "lower")}
    write_bmp("MillbrookLanduse.bmp", legend_map(LAND_USE_LEGEND, Patches(make_patches(rng, lu_weights, 420))))
    write_bmp("MillbrookSoil.bmp", legend_map(SOIL_LEGEND, Patches(make_patches(rng, SOIL_SHARES, 160))))
    write_bmp("MillbrookCounty.bmp", county_map())
    write_database(county_rows(rng))
    rewrite_project()


if __name__ == "__main__":
    main()
