#!/usr/bin/env python3
"""Independent reference for the engine's golden files.

Re-implements the daily model from its written rules in Python, rounding every
operation to 32-bit float, and writes the expected Results.dat and Summary.dat
of the three hand-made watersheds of tests/engine/test_watersheds.h (the inputs
are repeated below and must be kept in step with that header).

Run from this folder:  python3 reference_model.py
It rewrites tiny_results.dat, small_results.dat, small_summary.dat and the
medium_results.dat, medium_summary.dat and medium_seepcoef.txt. Only do
that deliberately, after a change of the model rules or of the test inputs, and
look at the diff before committing it.
"""
import math
import struct


def f(x):
    """Rounds a Python float to the nearest 32-bit float."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


def add(a, b): return f(a + b)
def sub(a, b): return f(a - b)
def mul(a, b): return f(a * b)
def div(a, b): return f(a / b)
def powf(a, b): return f(math.pow(a, b))
def expf(a): return f(math.exp(a))


DAYS = [0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31]
NAMES = ["", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"]
MONTH_TEMP = [0, 8, 14, 19, 22, 21, 16, 10, 3, -4, -7, -5, 1]
ET_COVER = [0, .6, .8, .95, 1, 1, .9, .7, .5, .4, .4, .4, .5]
DAY_LENGTH = [0, 13.2, 14.5, 15.2, 14.8, 13.7, 12.3, 10.9, 9.7, 9.1, 9.4, 10.5, 11.9]
GROWING = [0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0]
EROSIVITY = [0, .1, .2, .3, .3, .3, .2, .1, 0, 0, 0, 0, .1]


def weather_year(seed):
    temp = [[0.0] * 32 for _ in range(13)]
    prec = [[0.0] * 32 for _ in range(13)]
    n = seed
    for m in range(1, 13):
        for d in range(1, DAYS[m] + 1):
            n = (n * 69069 + 1) & 0xFFFFFFFF
            r = n >> 16
            temp[m][d] = f(MONTH_TEMP[m] + ((r >> 5) % 13 - 6) * 0.5)
            prec[m][d] = f(((r >> 2) % 12) * 0.5) if r % 3 == 0 else 0.0
    return temp, prec


def fmt(v):
    """A 32-bit value as the result files write it (7 significant digits)."""
    v = f(v)
    if v == 0:
        return "0"
    sign = "-" if v < 0 else ""
    s = "%.6e" % abs(v)
    mant, exp = s.split("e")
    exp = int(exp)
    digits = mant.replace(".", "").rstrip("0") or "0"
    n = len(digits)
    if 0 <= exp < 7:
        if n <= exp + 1:
            body = digits + "0" * (exp + 1 - n)
        else:
            body = digits[:exp + 1] + "." + digits[exp + 1:]
    elif exp < 0 and (-exp - 1 + n) <= 7:
        body = "." + "0" * (-exp - 1) + digits
    else:
        body = digits[0] + ("." + digits[1:] if n > 1 else "")
        body += "E" + ("-" if exp < 0 else "+") + "%02d" % abs(exp)
    return sign + body


def printed(x):
    """A number in the runtime's print style: sign or blank before, blank after."""
    body = str(x) if isinstance(x, int) else fmt(x)
    return (body if body.startswith("-") else " " + body) + " "


def record(fields):
    out = []
    for x in fields:
        out.append('"%s"' % x if isinstance(x, str) else (str(x) if isinstance(x, int) else fmt(x)))
    return ",".join(out) + "\r\n"


class Model:
    def __init__(self, ws):
        self.__dict__.update(ws)

    def run(self, weather):
        Y, L, R = self.years, len(self.uses), self.rural
        tab = lambda: [[0.0] * 13 for _ in range(Y + 1)]
        lutab = lambda: [[0.0] * (L + 1) for _ in range(Y + 1)]
        self.T = {k: tab() for k in ("flow", "precip", "evapo", "gw", "runoff", "erosion",
                                      "sediment", "tq", "gwN", "gwP", "disN", "totN", "disP", "totP")}
        self.LU = {k: lutab() for k in ("runoff", "erosion", "disN", "totN", "disP", "totP")}
        self.septicN = [0.0] * (Y + 1)
        self.septicP = [0.0] * (Y + 1)
        area = [0.0] + [f(u[1]) for u in self.uses]
        total = 0.0
        for k in range(1, L + 1):
            total = add(total, area[k])
        cn = [[0.0] * 4 for _ in range(L + 1)]
        for k in range(1, L + 1):
            c2 = f(self.uses[k - 1][2])
            cn[k][2] = c2
            cn[k][1] = div(c2, sub(f(2.334), mul(f(0.01334), c2)))
            c3 = div(c2, add(f(0.4036), mul(f(0.0059), c2)))
            cn[k][3] = 100.0 if c3 > 100 else c3
        ant = [0.0] * 6
        a5 = 0.0
        snow, unsat, sat = f(self.snow), f(self.unsat), f(self.sat)
        buildup = [0.0] * (L + 1)
        keep = expf(f(-0.12))
        grow = div(sub(1.0, keep), f(0.12))
        store_n = store_p = 0.0
        seep_on = "seep_control" in self.__dict__
        var_conc = self.__dict__.get("var_conc")
        deficit = factor = 0.0
        conc_coef = 1.0
        self.seep_log = "Month (1=April), Day, Year, Seep Coef and Flow (or Flow only).\r\n"
        lu_q_month = [[0.0] * 13 for _ in range(L + 1)]
        lu_s_month = [[0.0] * 13 for _ in range(L + 1)]
        means = {k: [0.0] * 13 for k in ("precip", "evapo", "gw", "runoff", "flow", "erosion",
                                         "sediment", "disN", "totN", "disP", "totP", "gwN", "gwP")}
        lumeans = {k: [0.0] * (L + 1) for k in self.LU}
        mean_sep_n = mean_sep_p = 0.0
        level = self.level
        for y in range(1, Y + 1):
            if self.exponential:
                growth = expf(mul(f(y - 1), f(self.pop_rate)))
            else:
                growth = add(1.0, mul(f(y - 1), f(self.pop_rate)))
            temp, prec = weather[y - 1]
            norm_pc = [0.0] * 13
            short_n = [0.0] * 13
            short_p = [0.0] * 13
            dir_n = [0.0] * 13
            dir_p = [0.0] * 13
            pond_n = [0.0] * 13
            pond_p = [0.0] * 13
            for m in range(1, 13):
                for k in range(1, L + 1):
                    lu_q_month[k][m] = 0.0
                    lu_s_month[k][m] = 0.0
                for d in range(1, DAYS[m] + 1):
                    t, p = temp[m][d], prec[m][d]
                    for k in range(R + 1, L + 1):
                        buildup[k] = add(mul(buildup[k], keep), grow)
                    rain = melt = water = eros = et = runoff = 0.0
                    if t <= 0:
                        snow = add(snow, p)
                    else:
                        rain = p
                        if snow > f(0.001):
                            melt = mul(f(0.45), t)
                            if melt > snow:
                                melt = snow
                            snow = sub(snow, melt)
                        water = add(rain, melt)
                        if level > 1 and rain > 0 and snow < f(0.001):
                            eros = mul(mul(f(6.46), f(EROSIVITY[m])), powf(rain, f(1.81)))
                    if water > f(0.01):
                        acc = 0.0
                        for k in range(1, L + 1):
                            q = 0.0
                            c1, c2, c3 = cn[k][1], cn[k][2], cn[k][3]
                            if c2 > 0:
                                if melt > 0:
                                    c = c3
                                elif GROWING[m] > 0:
                                    if a5 >= f(5.33):
                                        c = c3
                                    elif a5 >= f(3.56):
                                        c = add(c2, div(mul(sub(c3, c2), sub(a5, f(3.56))), f(1.77)))
                                    else:
                                        c = add(c1, div(mul(sub(c2, c1), a5), f(3.56)))
                                else:
                                    if a5 >= f(2.79):
                                        c = c3
                                    elif a5 >= f(1.27):
                                        c = add(c2, div(mul(sub(c3, c2), sub(a5, f(1.27))), f(1.52)))
                                    else:
                                        c = add(c1, div(mul(sub(c2, c1), a5), f(1.27)))
                                s = sub(div(2540.0, c), f(25.4))
                                if s < 0:
                                    s = 0.0
                                if water >= mul(f(0.2), s):
                                    e = sub(water, mul(f(0.2), s))
                                    q = div(mul(e, e), add(water, mul(f(0.8), s)))
                                acc = add(acc, mul(q, area[k]))
                                lu_q_month[k][m] = add(lu_q_month[k][m], q)
                            if k <= R and level > 1:
                                x = mul(mul(mul(f(1.32), eros), f(self.uses[k - 1][3])), area[k])
                                self.T["erosion"][y][m] = add(self.T["erosion"][y][m], x)
                                lu_s_month[k][m] = add(lu_s_month[k][m], x)
                            if k > R and level > 2:
                                w = mul(buildup[k], sub(1.0, expf(mul(f(-1.81), q))))
                                buildup[k] = sub(buildup[k], w)
                                lu_s_month[k][m] = add(lu_s_month[k][m], w)
                        runoff = div(acc, total)
                        self.T["tq"][y][m] = add(self.T["tq"][y][m], powf(runoff, f(1.67)))
                        self.T["runoff"][y][m] = add(self.T["runoff"][y][m], runoff)
                    a5 = add(sub(a5, ant[5]), water)
                    ant = [0.0, water, ant[1], ant[2], ant[3], ant[4]]
                    if t > 0:
                        es = mul(f(33.8639), add(sub(powf(add(mul(f(0.00738), t), f(0.8072)), 8.0),
                                                     mul(f(0.000019), abs(add(mul(f(1.8), t), 48.0)))),
                                                 f(0.001316)))
                        dl = f(DAY_LENGTH[m])
                        pe = div(mul(mul(f(0.021), mul(dl, dl)), es), add(t, 273.0))
                        et = mul(f(ET_COVER[m]), pe)
                    # water balance
                    inf = sub(water, runoff)
                    g = mul(f(self.recession), sat)
                    if seep_on:
                        max_seep, daily_seep, year_seep, min_stream = (f(v) for v in self.seep_control)
                        deficit = sub(deficit, daily_seep)
                        if year_seep != 0:
                            factor = div(deficit, -year_seep)
                        if factor > 1:
                            factor = 1.0
                        if self.T["flow"][y][m] < min_stream:
                            dsp = 0.0
                        else:
                            dsp = mul(mul(max_seep, factor), sat)
                        self.seep_log += (printed(m) + printed(d) + printed(y) + " " +
                                          printed(mul(max_seep, factor)))
                        deficit = add(deficit, dsp)
                        if deficit > 0:
                            deficit = 0.0
                    else:
                        dsp = mul(f(self.seepage), sat)
                    unsat = add(unsat, inf)
                    if et < unsat:
                        unsat = sub(unsat, et)
                    else:
                        et = unsat
                        unsat = 0.0
                    perc = 0.0
                    cap = f(self.capacity)
                    if unsat > cap:
                        perc = sub(unsat, cap)
                        unsat = cap
                    sat = sub(sub(add(sat, perc), g), dsp)
                    if sat < 0:
                        sat = 0.0
                    flow = add(runoff, g)
                    self.seep_log += printed(m) + printed(d) + printed(y) + " " + printed(flow) + "\r\n"
                    self.T["precip"][y][m] = add(self.T["precip"][y][m], p)
                    self.T["evapo"][y][m] = add(self.T["evapo"][y][m], et)
                    self.T["flow"][y][m] = add(self.T["flow"][y][m], flow)
                    self.T["gw"][y][m] = add(self.T["gw"][y][m], g)
                    if level > 3:
                        gs = f(GROWING[m])
                        pop = f(self.ponded_pop)
                        tn = mul(sub(f(self.pcN), mul(f(self.upN), gs)), pop)
                        tp = mul(sub(f(self.pcP), mul(f(self.upP), gs)), pop)
                        if snow > 0 or t <= 0:
                            store_n = add(store_n, tn)
                            store_p = add(store_p, tp)
                        else:
                            pond_n[m] = add(pond_n[m], add(store_n, tn))
                            pond_p[m] = add(pond_p[m], add(store_p, tp))
                            store_n = store_p = 0.0
                        nv = sub(mul(f(self.pcN), sub(1.0, f(self.reduction))), mul(f(self.upN), gs))
                        norm_pc[m] = add(norm_pc[m], nv if nv > 0 else 0.0)
                        short_n[m] = add(short_n[m], sub(f(self.pcN), mul(f(self.upN), gs)))
                        short_p[m] = add(short_p[m], sub(f(self.pcP), mul(f(self.upP), gs)))
                        dir_n[m] = add(dir_n[m], f(self.pcN))
                        dir_p[m] = add(dir_p[m], f(self.pcP))
            # year end
            T, LU = self.T, self.LU
            for m in range(1, 13):
                for k in range(1, L + 1):
                    LU["runoff"][y][k] = add(LU["runoff"][y][k], lu_q_month[k][m])
                for key in ("precip", "flow", "runoff", "gw", "evapo"):
                    T[key][y][0] = add(T[key][y][0], T[key][y][m])
            annual_normal = 0.0
            if level > 3:
                for m in range(1, 13):
                    annual_normal = add(annual_normal, mul(norm_pc[m], f(self.normal_pop)))
            if level > 1:
                tail = [0.0] * 13
                for m in range(1, 13):
                    sm = 0.0
                    for j in range(m, 13):
                        sm = add(sm, T["tq"][y][j])
                    tail[m] = sm
                    sed = 0.0
                    for j in range(1, m + 1):
                        if tail[j] > 0:
                            sed = add(sed, div(T["erosion"][y][j], tail[j]))
                    T["sediment"][y][m] = mul(mul(f(self.sdr), T["tq"][y][m]), sed)
                    T["sediment"][y][0] = add(T["sediment"][y][0], T["sediment"][y][m])
                    T["erosion"][y][0] = add(T["erosion"][y][0], T["erosion"][y][m])
                    for k in range(1, R + 1):
                        LU["erosion"][y][k] = add(LU["erosion"][y][k], lu_s_month[k][m])
            if level > 2:
                for m in range(1, 13):
                    if var_conc:
                        a, b, low, high = (f(v) for v in var_conc)
                        conc_coef = mul(a, powf(T["flow"][y][m], b))
                        if conc_coef < low:
                            conc_coef = low
                        if conc_coef > high:
                            conc_coef = high
                    coef = conc_coef
                    manure = self.in_period(m, self.m1) or self.in_period(m, self.m2)
                    for k in range(1, R + 1):
                        cN, cP = f(self.conc[k - 1][0]), f(self.conc[k - 1][1])
                        if k <= f(self.manured) and manure:
                            cN, cP = f(self.manured_conc[k - 1][0]), f(self.manured_conc[k - 1][1])
                        q = lu_q_month[k][m]
                        ln = mul(mul(mul(mul(cN, coef), f(0.1)), q), area[k])
                        lp = mul(mul(mul(cP, f(0.1)), q), area[k])
                        T["disN"][y][m] = add(T["disN"][y][m], ln)
                        T["disP"][y][m] = add(T["disP"][y][m], lp)
                        for key, v in (("disN", ln), ("disP", lp), ("totN", ln), ("totP", lp)):
                            LU[key][y][k] = add(LU[key][y][k], v)
                        sol = lu_s_month[k][m]
                        LU["totN"][y][k] = add(LU["totN"][y][k],
                                               mul(mul(mul(sol, f(self.sdr)), f(0.001)), f(self.sedN)))
                        LU["totP"][y][k] = add(LU["totP"][y][k],
                                               mul(mul(mul(sol, f(self.sdr)), f(0.001)), f(self.sedP)))
                    T["totN"][y][m] = add(T["disN"][y][m], mul(mul(T["sediment"][y][m], f(self.sedN)), f(0.001)))
                    T["totP"][y][m] = add(T["disP"][y][m], mul(mul(T["sediment"][y][m], f(self.sedP)), f(0.001)))
                    for k in range(R + 1, L + 1):
                        sol = lu_s_month[k][m]
                        un = mul(mul(sol, f(self.buildup[k - R - 1][0])), area[k])
                        up = mul(mul(sol, f(self.buildup[k - R - 1][1])), area[k])
                        LU["totN"][y][k] = add(LU["totN"][y][k], un)
                        LU["totP"][y][k] = add(LU["totP"][y][k], up)
                        T["totN"][y][m] = add(T["totN"][y][m], un)
                        T["totP"][y][m] = add(T["totP"][y][m], up)
                    T["gwN"][y][m] = mul(mul(mul(mul(f(self.gwN), coef), f(0.1)), T["gw"][y][m]), total)
                    T["gwP"][y][m] = mul(mul(mul(f(self.gwP), f(0.1)), T["gw"][y][m]), total)
                    pn, pp = self.point(y, m)
                    T["disN"][y][m] = add(T["disN"][y][m], add(T["gwN"][y][m], pn))
                    T["disP"][y][m] = add(T["disP"][y][m], add(T["gwP"][y][m], pp))
                    T["totN"][y][m] = add(T["totN"][y][m], add(T["gwN"][y][m], pn))
                    T["totP"][y][m] = add(T["totP"][y][m], add(T["gwP"][y][m], pp))
                    sn = sp = 0.0
                    if level > 3:
                        gw0 = T["gw"][y][0]
                        normal = div(mul(annual_normal, T["gw"][y][m]), gw0) if gw0 > 0 else 0.0
                        sn = div(mul(add(add(add(mul(f(self.short_pop), short_n[m]), normal), pond_n[m]),
                                         mul(f(self.direct_pop), dir_n[m])), growth), 1000.0)
                        sp = div(mul(add(add(mul(f(self.short_pop), short_p[m]), pond_p[m]),
                                         mul(f(self.direct_pop), dir_p[m])), growth), 1000.0)
                        for key, v in (("disN", sn), ("disP", sp), ("totN", sn), ("totP", sp)):
                            T[key][y][m] = add(T[key][y][m], v)
                    for key in ("disN", "disP", "totN", "totP", "gwN", "gwP"):
                        T[key][y][0] = add(T[key][y][0], T[key][y][m])
                    if level > 3:
                        self.septicN[y] = add(self.septicN[y], sn)
                        self.septicP[y] = add(self.septicP[y], sp)
            yc = f(Y)
            for key, src in (("precip", "precip"), ("evapo", "evapo"), ("gw", "gw"), ("runoff", "runoff"),
                             ("flow", "flow"), ("erosion", "erosion"), ("sediment", "sediment"),
                             ("disN", "disN"), ("totN", "totN"), ("disP", "disP"), ("totP", "totP"),
                             ("gwN", "gwN"), ("gwP", "gwP")):
                for m in range(0, 13):
                    means[key][m] = add(means[key][m], div(T[src][y][m], yc))
            for key in lumeans:
                for k in range(1, L + 1):
                    lumeans[key][k] = add(lumeans[key][k], div(LU[key][y][k], yc))
            if level > 3:
                mean_sep_n = add(mean_sep_n, div(self.septicN[y], yc))
                mean_sep_p = add(mean_sep_p, div(self.septicP[y], yc))
        self.means, self.lumeans = means, lumeans
        self.mean_sep = (mean_sep_n, mean_sep_p)
        self.area = area

    @staticmethod
    def in_period(m, period):
        s, e = period
        return s <= m <= e if e >= s else (m >= s or m <= e)

    def point(self, y, m):
        if self.level < 3:
            return 0.0, 0.0
        rows = self.points
        row = rows[y - 1] if y - 1 < len(rows) else rows[0]
        return f(row[m - 1][0]), f(row[m - 1][1])

    def header(self):
        L = len(self.uses)
        return record([self.name, self.years, self.rural, L - self.rural, L, self.level])

    def results_text(self):
        out = [self.header()]
        for y in range(1, self.years + 1):
            for m in range(1, 13):
                pn, pp = self.point(y, m)
                out.append(record([NAMES[m], pn, pp]))
        for u in self.uses:
            out.append(record([u[0], f(u[1])]))
        T, LU = self.T, self.LU
        for y in range(1, self.years + 1):
            for m in range(0, 13):
                out.append(record([T[k][y][m] for k in ("precip", "evapo", "gw", "runoff", "flow")]))
                out.append(record([T[k][y][m] for k in ("erosion", "sediment", "gwN", "gwP", "disN",
                                                         "totN", "disP", "totP")]))
            for k in range(1, len(self.uses) + 1):
                out.append(record([LU[key][y][k] for key in ("runoff", "erosion", "disN", "totN",
                                                              "disP", "totP")]))
            if self.level > 3:
                out.append(record([self.septicN[y], self.septicP[y]]))
        return "".join(out)

    def summary_text(self):
        M, LM = self.means, self.lumeans
        out = [self.header()]
        for m in range(1, 13):
            out.append(record([NAMES[m]] + [M[k][m] for k in ("precip", "evapo", "gw", "runoff", "flow")]))
        out.append(record([M[k][0] for k in ("precip", "evapo", "gw", "runoff", "flow")]))
        if self.level >= 2:
            keys = ("erosion", "sediment", "disN", "totN", "disP", "totP")
            for m in range(1, 13):
                out.append(record([NAMES[m]] + [M[k][m] for k in keys]))
            out.append(record([M[k][0] for k in keys]))
        for k in range(1, len(self.uses) + 1):
            a = self.area[k]
            e = div(LM["erosion"][k], a) if a > 0 else 0.0
            out.append(record([self.uses[k - 1][0], a, LM["runoff"][k], e, LM["disN"][k],
                               LM["totN"][k], LM["disP"][k], LM["totP"][k]]))
        pyn = pyp = 0.0
        for y in range(1, self.years + 1):
            sn = sp = 0.0
            for m in range(1, 13):
                pn, pp = self.point(y, m)
                sn, sp = add(sn, pn), add(sp, pp)
            pyn, pyp = add(pyn, sn), add(pyp, sp)
        out.append(record([M["gwN"][0], M["gwP"][0], div(pyn, f(self.years)), div(pyp, f(self.years))]))
        if self.level > 3:
            out.append(record(list(self.mean_sep)))
        return "".join(out)


TINY = dict(name="Tiny Creek", years=1, level=1, rural=2,
            uses=[("Corn, tilled", 60, 78, .02), ("Forest", 40, 55, .001)],
            recession=.05, seepage=.01, unsat=5, sat=2, snow=0, sdr=.2, capacity=10,
            pop_rate=0, exponential=False)

SMALL = dict(name="Small Brook", years=2, level=4, rural=2,
             uses=[("Cropland", 120, 81, .03), ("Pasture", 80, 69, .008), ("Village", 20, 88, 0)],
             recession=.04, seepage=.005, unsat=6, sat=3, snow=1.5, sdr=.15, capacity=12,
             sedN=3000, sedP=1300, gwN=.94, gwP=.01, manured=1, m1=(11, 2), m2=(6, 6),
             conc=[(2.9, .25), (1.5, .1)], buildup=[(.1, .012)], manured_conc=[(4.5, .6)],
             points=[[(100 + 5 * m, 10) for m in range(1, 13)], [(120, 12.5)] * 12],
             normal_pop=300, ponded_pop=40, short_pop=20, direct_pop=5,
             pcN=12, pcP=2.5, upN=1.6, upP=.4, pop_rate=.02, exponential=False, reduction=.1)


# Level 3 over three years with seepage control and the variable
# concentration coefficient: year 3 has no point data of its own, 2.6 manured
# land uses means two, one land use has no curve number and one no area.
MEDIUM = dict(name="Medium Run", years=3, level=3, rural=5,
              uses=[("Cropland", 150, 82, .03), ("Pasture", 90, 70, .008), ("Meadow", 50, 74, .005),
                    ("Wetland", 15, 0, .002), ("Fallow", 0, 77, .04), ("Town", 30, 90, 0)],
              recession=.045, seepage=.005, unsat=4, sat=2.5, snow=.8, sdr=.12, capacity=11,
              sedN=2500, sedP=1100, gwN=1.2, gwP=.02, manured=2.6, m1=(1, 3), m2=(12, 1),
              conc=[(3.1, .3), (1.7, .12), (1.1, .08), (.9, .05), (2.2, .2)], buildup=[(.12, .015)],
              manured_conc=[(5.5, .7), (4.1, .5), (9.9, .9)],
              points=[[(50 + 3 * m, 6) for m in range(1, 13)], [(80, 7.5)] * 12],
              pop_rate=0, exponential=False,
              seep_control=(.02, .01, 3.65, .5), var_conc=(.8, .3, .5, 1.5))


def main():
    tiny = Model(TINY)
    tiny.run([weather_year(3)])
    with open("tiny_results.dat", "w", newline="") as out:
        out.write(tiny.results_text())
    small = Model(SMALL)
    small.run([weather_year(5), weather_year(12)])
    with open("small_results.dat", "w", newline="") as out:
        out.write(small.results_text())
    with open("small_summary.dat", "w", newline="") as out:
        out.write(small.summary_text())
    medium = Model(MEDIUM)
    medium.run([weather_year(21), weather_year(28), weather_year(35)])
    for name, text in (("medium_results.dat", medium.results_text()),
                       ("medium_summary.dat", medium.summary_text()),
                       ("medium_seepcoef.txt", medium.seep_log)):
        with open(name, "w", newline="") as out:
            out.write(text)
    print("tiny monthly flows (cm):", " ".join(fmt(tiny.T["flow"][1][m]) for m in range(1, 13)))


if __name__ == "__main__":
    main()
