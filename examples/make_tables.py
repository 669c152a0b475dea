#!/usr/bin/env python3
"""Writes the hand-chosen input tables of the Millbrook example.

Transprt.dat and Nutrient.dat describe the whole watershed; TrUpper/TrCedar/
TrLower.dat and NuUpper/NuCedar/NuLower.dat its three sub-basins (their land-use
areas add up to the whole); NutrientMatrix.dat is Nutrient.dat with a monthly
data matrix appended. Run from anywhere: python3 examples/make_tables.py
"""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Millbrook")
YEARS = 30  # whole years of Weather.dat: point sources run for years 2..YEARS
DAYS = [30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31]
MONTHS = ["Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"]


def num(v):
    """Plain decimal without a leading zero, as the program writes numbers."""
    s = "%.7g" % v
    assert "e" not in s, s
    if "." in s:
        s = s.rstrip("0").rstrip(".")
    if s.startswith("0."):
        s = s[1:]
    elif s.startswith("-0."):
        s = "-" + s[2:]
    return "0" if s in ("", "-0") else s


def write(name, lines):
    with open(os.path.join(HERE, name), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# ---- transport ------------------------------------------------------------
# Month lines: ET cover coefficient of the mixed forest/farm cover, mean day
# length at 41.2 N (weathergen --day-lengths --latitude 41.2), growing season
# May..October, erosivity coefficient higher in the convective season.
MONTH_ROWS = [
    ("Apr", .7, 13.3, 0, .12), ("May", .9, 14.5, 1, .28), ("Jun", 1, 15.1, 1, .28),
    ("Jul", 1, 14.8, 1, .28), ("Aug", 1, 13.8, 1, .28), ("Sep", 1, 12.4, 1, .28),
    ("Oct", .85, 11, 1, .12), ("Nov", .6, 9.8, 0, .12), ("Dec", .45, 9.3, 0, .12),
    ("Jan", .45, 9.6, 0, .12), ("Feb", .45, 10.6, 0, .12), ("Mar", .5, 11.9, 0, .12),
]
# name, curve number (AMC II, mostly B and C soils), K*LS*C*P
LAND_USES = [
    ("Corn", 81, .07), ("Soybeans", 80, .085), ("Hay", 72, .012), ("Pasture", 69, .008),
    ("Forest (deciduous)", 58, .0008), ("Forest (conifer)", 56, .0006),
    ("Wetland", 80, .0003), ("Idle/shrub", 65, .003),
    ("Residential, low density", 79, 0), ("Residential, high density/commercial", 90, 0),
]
RURAL, URBAN = 8, 2
# ha per land use; the sub-basins add up to the whole watershed (32,400 ha)
AREAS = {
    "whole": [3400, 2300, 3100, 2600, 11800, 3200, 1100, 1600, 2400, 900],
    "upper": [600, 300, 900, 700, 5200, 1500, 250, 250, 100, 30],
    "cedar": [1800, 1400, 1300, 1100, 1900, 300, 350, 450, 250, 20],
}
AREAS["lower"] = [w - u - c for w, u, c in zip(AREAS["whole"], AREAS["upper"], AREAS["cedar"])]
# recession, seepage, unsat, sat, snow (initial), SDR, unsat capacity. The
# delivery ratio falls with drainage area (about .13 for the 324 km2 whole).
BASIN = {
    "whole": (.035, .005, 8, 4, 0, .13, 12),
    "upper": (.035, .005, 8, 4, 0, .16, 12),
    "cedar": (.035, .005, 8, 4, 0, .17, 12),
    "lower": (.035, .005, 8, 4, 0, .15, 12),
}
ANTECEDENT = (.4, 0, 1.1, 0, .2)


def transport(key):
    lines = ["%d,%d" % (RURAL, URBAN), ",".join(num(v) for v in BASIN[key])]
    lines += [num(v) for v in ANTECEDENT]
    for name, et, day, grow, eros in MONTH_ROWS:
        lines.append('"%s",%s,%s,%s,%s' % (name, num(et), num(day), num(grow), num(eros)))
    for (name, cn, klscp), area in zip(LAND_USES, AREAS[key]):
        lines.append('"%s",%s,%s,%s' % (name, num(area), num(cn), num(klscp)))
    return lines


# ---- nutrients --------------------------------------------------------------
RUNOFF = [(2.9, .26), (2.5, .22), (2.8, .15), (3, .25), (.19, .006), (.19, .006), (.3, .01),
          (1.8, .08)]                              # mg/l, rural land uses
BUILDUP = [(.045, .0045), (.095, .015)]            # kg/ha/day, urban land uses
MANURED = [(12.2, 1.9), (8, 1.2), (5.5, .7)]       # mg/l on corn, soybeans, hay
MANURE1, MANURE2 = (6, 8), (11, 2)                 # Sep..Nov, and Feb..May
SEPTIC = [  # whole watershed: normal, ponded, short-circuited, direct; summer residents
    (5200, 380, 160, 45), (5300, 390, 165, 45), (5600, 410, 175, 48), (5800, 420, 180, 50),
    (5800, 420, 180, 50), (5400, 395, 168, 46), (5200, 380, 160, 45), (5150, 375, 158, 44),
    (5150, 375, 158, 44), (5150, 375, 158, 44), (5150, 375, 158, 44), (5150, 375, 158, 44),
]
SEPTIC_SHARE = {"whole": 1, "upper": .2, "cedar": .3, "lower": .5}


def point_source(y, m):
    """Millbrook treatment plant, kg/month in year y, model month m (0 = April).

    The load grows 1 %/year with the town; chemical P removal from April 1998
    (year 9), biological N removal from April 2009 (year 20); nitrification runs
    better in the warm months."""
    g = 1 + .01 * (y - 1)
    n = 95.0 * DAYS[m] * g * (.92 if 2 <= m <= 5 else 1.0)
    p = 14.0 * DAYS[m] * g
    if y >= 9:
        p *= .35
    if y >= 20:
        n *= .55
    return round(n), round(p, 1)


def nutrient(key):
    has_plant = key in ("whole", "lower")  # the plant discharges in the lower reach
    lines = ["3000,1100,1.4,.014", "3,%d,%d,%d,%d" % (MANURE1 + MANURE2)]
    lines += ["%s,%s" % (num(n), num(p)) for n, p in RUNOFF + BUILDUP + MANURED]

    def points(y):
        return ["%s,%s" % (num(n), num(p)) if has_plant else "0,0"
                for n, p in (point_source(y, m) for m in range(12))]

    lines += points(1)
    lines.append("3")
    share = SEPTIC_SHARE[key]
    lines += [",".join(num(round(v * share)) for v in row) for row in SEPTIC]
    lines.append("12,2.5,1.6,.4")
    for y in range(2, YEARS + 1):
        lines += points(y)
    return lines


def in_period(m, period):
    s, e = period
    return s <= m <= e if e >= s else (m >= s or m <= e)


def matrix():
    """Monthly concentrations: manure months filled in, a May-June fertiliser
    flush on corn and soybeans, leaf-fall N and P from woods and wetland in
    October-November, slower urban build-up in the cold months."""
    n_rows, p_rows = [], []
    for k, ((name, _, _), (n, p)) in enumerate(zip(LAND_USES, RUNOFF)):
        rn, rp = [], []
        for m in range(1, 13):
            cn, cp = n, p
            if k < len(MANURED) and (in_period(m, MANURE1) or in_period(m, MANURE2)):
                cn, cp = MANURED[k]
            if k < 2 and m in (2, 3):
                cn = round(cn * 1.25, 3)
            if k >= 4 and m in (7, 8):
                cn, cp = round(cn * 1.5, 3), round(cp * 1.5, 4)
            rn.append(cn)
            rp.append(cp)
        n_rows.append((name, rn))
        p_rows.append((name, rp))
    cold = [1, 1, 1, 1, 1, 1, 1, .9, .8, .7, .7, .8]
    for (name, _, _), (n, p) in zip(LAND_USES[RURAL:], BUILDUP):
        n_rows.append((name, [round(n * f, 5) for f in cold]))
        p_rows.append((name, [round(p * f, 6) for f in cold]))

    def q(s):
        return '"%s"' % s

    lines = ["", "Nutrient Data Matrix", "%d,%d,%d" % (RURAL + URBAN, RURAL, URBAN)]
    for rows in (n_rows, p_rows):
        lines.append(",".join([q("Saved Data")] + [q(m) for m in MONTHS]))
        lines += [",".join([q(name)] + [q(num(v)) for v in vals]) for name, vals in rows]
    return lines


write("Transprt.dat", transport("whole"))
write("TrUpper.dat", transport("upper"))
write("TrCedar.dat", transport("cedar"))
write("TrLower.dat", transport("lower"))
write("Nutrient.dat", nutrient("whole"))
write("NuUpper.dat", nutrient("upper"))
write("NuCedar.dat", nutrient("cedar"))
write("NuLower.dat", nutrient("lower"))
write("NutrientMatrix.dat", nutrient("whole") + matrix())

# ---- the 20-row batch used for timing -------------------------------------
# Every sub-basin and the whole watershed under five option sets: plain,
# seepage control, variable concentration, a septic upgrade, and faster growth
# with all controls together.
SUBBASINS = [("Upper Millbrook", "TrUpper.dat", "NuUpper.dat"),
             ("Cedar Run", "TrCedar.dat", "NuCedar.dat"),
             ("Lower Millbrook", "TrLower.dat", "NuLower.dat"),
             ("Millbrook Creek", "Transprt.dat", "Nutrient.dat")]
OPTION_SETS = [(".01", "0,0,0,0", "0,0,0,0,0", "0"),
               (".01", "1,.01,.02,5", "0,0,0,0,0", "0"),
               (".01", "0,0,0,0", "1,.8,.15,.5,2", "0"),
               (".01", "0,0,0,0", "0,0,0,0,0", ".3"),
               (".02", "1,.01,.02,5", "1,.8,.15,.5,2", ".5")]
HEADING = ('"Name","Transport","Nutrient","Weather","PopRate","Seepage","MaxSeep",'
           '"DailySeep","YearSeep","VarConc","a","b","Low","Up","SepticRed"')
rows = ['"%s","%s","%s","Weather.dat",%s,%s,%s,%s' % (name, tr, nu, rate, seep, conc, sep)
        for rate, seep, conc, sep in OPTION_SETS for name, tr, nu in SUBBASINS]
write("RunSpeed20.dat", [str(len(rows)), HEADING] + rows)
