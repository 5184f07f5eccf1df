#!/usr/bin/env python3
"""Independent reference for the sounding indices: reads a decoded sounding table (fixed
seven-character columns PRES HGHT TEMP DWPT ... DRCT SKNT) and prints one "name value" line per
quantity, computed from the written definitions of the thermodynamic functions and the parcel
ascent, without the library. Used by UpaPathTest."""
import math
import sys

MISS = None


def vapor_pres(t):
    if t < 100:
        return 0.0
    return 10 ** (23.832241 - 5.02808 * math.log10(t)
                  - 1.3816e-7 * 10 ** (11.344 - 0.0303998 * t)
                  + 8.132801e-3 * 10 ** (3.49149 - 1302.8844 / t) - 2949.076 / t)


def temp_vapor_pres(e):
    if e <= 0:
        return 0.0
    return (38.9114 * (e ** 0.0915 - 1.2035) ** 2
            + 10 ** (0.0498646455 * math.log10(e) + 2.4082965) - 7.08475)


def mix_ratio(t, p):
    return 622 * vapor_pres(t) / (p - vapor_pres(t))


def spec_hum(t, p):
    return 622 * vapor_pres(t) / p


def temp_on_mix_rat(w, p):
    return temp_vapor_pres(w * p / (w + 622))


def pot_temp(t, p):
    return t * (1000 / p) ** 0.286


def temp_on_dry_ad(th, p):
    return th * (p / 1000) ** 0.286


def thetae_on_sat_ad(t, p):
    return pot_temp(t, p) * math.exp(2.6518986 * mix_ratio(t, p) / t)


def temp_on_sat_ad(the, p):
    t, step = 253.16, 120.0
    for _ in range(12):
        d = the * math.exp(-2.6518986 * mix_ratio(t, p) / t) - pot_temp(t, p)
        if d * d < 2e-5:
            break
        step /= 2
        t += step if d > 0 else -step
    return t


def lcl(t, td, p):
    w = mix_ratio(td, p)
    th = pot_temp(t, p)
    pl = p
    for _ in range(8):
        d = temp_on_mix_rat(w, pl) - temp_on_dry_ad(th, pl)
        if d * d <= 1e-4:
            break
        pl *= 2 ** (0.02 * d)
    return pl, temp_on_dry_ad(th, pl)


def number(cell):
    try:
        return float(cell)
    except ValueError:
        return MISS


def read_table(path):
    rows = []
    for line in open(path):
        p, z, t, td = (number(line[i * 7:(i + 1) * 7]) for i in range(4))
        if not any(c.isalpha() for c in line) and None not in (p, z, t):
            rows.append((p, z, t, td))
    return sorted(rows, key=lambda r: -r[0])


class Sounding:
    def __init__(self, rows):
        self.rows = rows

    def interp(self, p, col):
        """Column col at p, linear in ln p."""
        r = self.rows
        if p > r[0][0] or p < r[-1][0]:
            return MISS
        for a, b in zip(r, r[1:]):
            if b[0] <= p <= a[0]:
                va, vb = a[col], b[col]
                if va is None or vb is None:
                    return MISS
                if a[0] == b[0]:
                    return va
                k = (math.log(p) - math.log(a[0])) / (math.log(b[0]) - math.log(a[0]))
                return va + k * (vb - va)
        return r[0][col] if p == r[0][0] else MISS


class Parcel:
    def __init__(self, p, t, td):
        self.p = p
        self.plcl, tlcl = lcl(t + 273.15, td + 273.15, p)
        self.plcl = min(self.plcl, p)
        self.th = pot_temp(t + 273.15, p)
        self.the = thetae_on_sat_ad(tlcl, self.plcl)

    def temp(self, p):
        if p > self.plcl:
            return temp_on_dry_ad(self.th, p) - 273.15
        return temp_on_sat_ad(self.the, p) - 273.15


def energy(tp1, tp2, te1, te2, z1, z2):
    te = (te1 + te2) / 2
    return 9.8 * (z2 - z1) * ((tp1 + tp2) / 2 - te) / (te + 273.15)


def ascent(snd, parcel, highest):
    """CAPE, CIN, LFC, EL of the parcel, the positive area ending at the first negative layer
    after positive ones (highest False) or at the top of the highest positive layer."""
    top = snd.rows[-1][0]
    # Dry: along the sounding levels from the parcel to its LCL.
    pts = [parcel.p] + [r[0] for r in snd.rows if max(parcel.plcl, top) < r[0] < parcel.p]
    pts.append(max(parcel.plcl, top))
    bplus = bminus = 0.0
    for p1, p2 in zip(pts, pts[1:]):
        e = energy(parcel.temp(p1), parcel.temp(p2), snd.interp(p1, 2), snd.interp(p2, 2),
                   snd.interp(p1, 1), snd.interp(p2, 1))
        if e > 0:
            bplus += e
        else:
            bminus += e
    layers = []
    p = parcel.plcl
    while parcel.plcl > top:
        q = max(p - 10, top)
        layers.append(((p + q) / 2, q, energy(parcel.temp(p), parcel.temp(q), snd.interp(p, 2),
                                              snd.interp(q, 2), snd.interp(p, 1),
                                              snd.interp(q, 1))))
        if q <= top:
            break
        p = q
    lfc = next((i for i, l in enumerate(layers) if l[2] > 0), None)
    if lfc is None:
        return bplus, MISS, MISS, MISS
    cin = bminus + sum(l[2] for l in layers[:lfc] if l[2] < 0)
    if highest:
        last = max(i for i, l in enumerate(layers) if l[2] > 0)
    else:
        last = lfc
        while last + 1 < len(layers) and layers[last + 1][2] >= 0:
            last += 1
    cape = bplus + sum(l[2] for l in layers[lfc:last + 1] if l[2] > 0)
    after = [l for l in layers[last + 1:] if l[2] < 0]
    el = MISS
    if after:
        el = layers[last][1] if highest else after[0][0]
    return cape, cin, layers[lfc][0], el


def main():
    rows = read_table(sys.argv[1])
    snd = Sounding(rows)
    out = {}
    t = lambda p: snd.interp(p, 2)
    td = lambda p: snd.interp(p, 3)
    if None not in (t(850), td(850), t(500)):
        out["tt"] = t(850) + td(850) - 2 * t(500)
        out["ct"] = td(850) - t(500)
    if None not in (t(850), t(500)):
        out["vt"] = t(850) - t(500)
    if None not in (t(850), td(850), t(700), td(700), t(500)):
        out["k"] = t(850) - t(500) + td(850) - (t(700) - td(700))
    moist = [(r[0], spec_hum(r[3] + 273.15, r[0])) for r in rows if r[3] is not None]
    out["pw_in"] = sum((a[0] - b[0]) * (a[1] + b[1]) / 2000 / 2.4892
                       for a, b in zip(moist, moist[1:]))
    sfc = rows[0]
    parcel = Parcel(sfc[0], sfc[2], sfc[3])
    out["lcl_hPa"] = parcel.plcl
    if t(500) is not None:
        out["li"] = t(500) - parcel.temp(500)
    for name, highest in (("", False), ("top_", True)):
        cape, cin, lfc, el = ascent(snd, parcel, highest)
        out[name + "cape"] = cape
        for key, v in ((name + "cin", cin), (name + "lfc_hPa", lfc), (name + "el_hPa", el)):
            if v is not None:
                out[key] = v
    if sfc[2] > 0:
        for a, b in zip(rows, rows[1:]):
            if b[0] < 500:
                break
            if b[2] <= 0:
                k = a[2] / (a[2] - b[2])
                out["frz_hPa"] = math.exp(math.log(a[0]) + k * (math.log(b[0]) - math.log(a[0])))
                break
    def thetae(r):
        plcl, tlcl = lcl(r[2] + 273.15, r[3] + 273.15, r[0])
        return thetae_on_sat_ad(tlcl, plcl)

    def wet_bulb(r):
        plcl, tlcl = lcl(r[2] + 273.15, r[3] + 273.15, r[0])
        return temp_on_sat_ad(thetae_on_sat_ad(tlcl, plcl), r[0]) - 273.15

    if sfc[3] is not None:
        aloft = [thetae(r) for r in rows[1:] if r[0] >= 400 and r[3] is not None]
        if aloft:
            out["thetae_index"] = thetae(sfc) - min(aloft)
        # Wet-bulb zero: the first level whose wet bulb is at or below 0 C, interpolated in ln p
        # from the last level with a dew point below it.
        below, prev = wet_bulb(sfc), sfc
        for r in rows[1:]:
            if below <= 0 or r[3] is None:
                continue
            v = wet_bulb(r)
            if v <= 0:
                k = below / (below - v)
                out["wbz_hPa"] = math.exp(math.log(prev[0]) + k * (math.log(r[0]) - math.log(prev[0])))
                break
            below, prev = v, r
    for k, v in out.items():
        print(k, "%.6f" % v)


if __name__ == "__main__":
    main()
