#!/usr/bin/env python3
"""Independent reference for TEMP and PILOT parts: reads a text of parts (filed bulletins or parts
one after another, with or without "=" at their ends) and prints every level each part reports,
decoded from the WMO code forms without the library. One line per level:

    <station> <DDHH> <part> <kind> <pressure> <height> <temp> <dewp> <dir> <speed>

kind is std (standard level), sfc, trop, maxw (parts A and C), sig (parts B and D), wnd (their
21212 section) or hwnd (PILOT levels by height, height in feet); "-" stands for a missing value,
speeds are in knots. Used by UpaPathTest."""
import sys

PART_WORDS = {w + p for w in ("TT", "PP") for p in ("AA", "BB", "CC", "DD")}
STANDARD_A = {"00": 1000, "92": 925, "85": 850, "70": 700, "50": 500, "40": 400, "30": 300,
              "25": 250, "20": 200, "15": 150, "10": 100}
STANDARD_C = {"70": 70, "50": 50, "30": 30, "20": 20, "10": 10}
# Id: the leading figure of the last standard level with a wind ("/" none).
WIND_TOP_A = {"1": 100, "2": 200, "3": 300, "4": 400, "5": 500, "7": 700, "8": 850, "0": 1000}
WIND_TOP_C = {"1": 10, "2": 20, "3": 30, "5": 50, "7": 70}
KNOTS_PER_MS = 1.944


def cut_parts(text):
    """The parts of a text, each as its list of words."""
    parts, current = [], None
    for line in text.splitlines():
        words = line.split()
        if words and words[0] in PART_WORDS:
            if current:
                parts.append(current)
            current = []
        if current is None:
            continue
        end = line.find("=")
        current.extend((line[:end] if end >= 0 else line).split())
        if end >= 0:
            parts.append(current)
            current = None
    if current:
        parts.append(current)
    return parts


# Decametres above 500 hPa: the thousands of metres the figures leave out, below and from 500.
THOUSANDS = {500: (0, 0), 400: (0, 0), 300: (10000, 0), 250: (10000, 0), 200: (10000, 10000),
             150: (10000, 10000), 100: (10000, 10000), 70: (10000, 10000), 50: (20000, 10000),
             30: (20000, 20000), 20: (20000, 20000), 10: (30000, 20000)}


def height(p, hhh):
    """Metres of a standard level from its three figures."""
    if not hhh.isdigit():
        return None
    h = int(hhh)
    if p == 1000:
        return 500 - h if h >= 500 else h
    if p in (925, 850):
        return h + (1000 if p == 850 else 0)
    if p == 700:
        return h + (3000 if h < 500 else 2000)
    return h * 10 + THOUSANDS[p][0 if h < 500 else 1]


def temperature(g):
    """(temperature, dew point) of TTTDD."""
    ttt, dd = g[:3], g[3:]
    if not ttt.isdigit():
        return None, None
    t = int(ttt) / 10.0 * (-1 if int(ttt[2]) % 2 else 1)
    if not dd.isdigit():
        return t, None
    d = int(dd)
    if d <= 50:
        return t, t - d / 10.0
    if d >= 56:
        return t, t - (d - 50)
    return t, None


def wind(g, knots):
    """(direction, speed in knots) of dddff."""
    if not g.isdigit():
        return None, None
    ddd, ff = int(g[:3]), int(g[3:])
    direction = ddd // 5 * 5
    speed = (ddd % 5) * 100 + ff
    if direction > 360:
        return None, None
    return direction, speed if knots else speed * KNOTS_PER_MS


class Part:
    def __init__(self, words):
        self.word = words[0]
        self.letter = self.word[2]
        self.words = words[1:]
        self.pos = 0
        self.levels = []

    def peek(self):
        return self.words[self.pos] if self.pos < len(self.words) else ""

    def take(self):
        w = self.peek()
        self.pos += 1
        return w

    def head(self):
        yyggi = self.take()
        yy, gg = int(yyggi[:2]), int(yyggi[2:4])
        self.knots = yy > 50
        self.day, self.hour = yy % 50, gg % 50
        self.indicator = yyggi[4]
        self.station = self.take()

    def add(self, kind, p=None, h=None, t=None, td=None, d=None, s=None):
        self.levels.append((kind, p, h, t, td, d, s))

    def standard(self):
        c = self.letter == "C"
        table = STANDARD_C if c else STANDARD_A
        tops = WIND_TOP_C if c else WIND_TOP_A
        top = 9999 if self.indicator == "/" else tops.get(self.indicator, 0)
        while self.pos < len(self.words):
            g = self.take()
            pp, hhh = g[:2], g[2:]
            if pp in ("31", "51", "41", "21") or len(g) != 5:
                return
            if pp == "99":
                p = int(hhh) + (1000 if int(hhh) < 100 else 0) if hhh.isdigit() else None
                t, td = temperature(self.take())
                d, s = wind(self.take(), self.knots)
                self.add("sfc", p, None, t, td, d, s)
            elif pp == "88":
                if hhh == "999":
                    continue
                p = int(hhh) / 10.0 if c else int(hhh)
                t, td = temperature(self.take())
                d, s = wind(self.take(), self.knots)
                self.add("trop", p, None, t, td, d, s)
            elif pp in ("77", "66"):
                if hhh == "999":
                    continue
                p = int(hhh) / 10.0 if c else int(hhh)
                d, s = wind(self.take(), self.knots)
                self.add("maxw", p, None, None, None, d, s)
                if self.peek().startswith("4"):
                    self.take()
            elif pp in table:
                p = table[pp]
                t, td = temperature(self.take())
                d = s = None
                if p >= top:
                    d, s = wind(self.take(), self.knots)
                self.add("std", p, height(p, hhh), t, td, d, s)
            else:
                return

    def pairs(self, kind, decode):
        tenths = self.letter == "D"
        while self.pos < len(self.words):
            g = self.peek()
            if len(g) != 5 or g[0] != g[1] or not g[0].isdigit() or g in ("21212",):
                return
            self.take()
            ppp = g[2:]
            value = decode(self.take())
            if not ppp.isdigit():
                continue
            p = int(ppp) / 10.0 if tenths else int(ppp) + (1000 if int(ppp) < 100 else 0)
            self.add(kind, p, None, *value)

    def significant(self):
        self.pairs("sig", lambda g: temperature(g) + (None, None))
        if self.peek() == "21212":
            self.take()
            self.pairs("wnd", lambda g: (None, None) + wind(g, self.knots))

    def pilot_heights(self):
        while self.pos < len(self.words):
            g = self.peek()
            if g == "21212":
                # Winds by pressure, as in a TEMP part B or D.
                self.take()
                self.pairs("wnd", lambda g: (None, None) + wind(g, self.knots))
                return
            if len(g) != 5 or g[0] != "9" or not g[1].isdigit():
                return
            self.take()
            for u in g[2:]:
                if not u.isdigit():
                    continue
                d, s = wind(self.take(), self.knots)
                self.add("hwnd", None, (int(g[1]) * 10 + int(u)) * 1000, None, None, d, s)

    def decode(self):
        self.head()
        if self.word.startswith("PP"):
            if self.letter in "BD":
                self.pilot_heights()
        elif self.letter in "AC":
            self.standard()
        else:
            self.significant()


def text(v):
    return "-" if v is None else ("%.2f" % v).rstrip("0").rstrip(".")


def main():
    with open(sys.argv[1], encoding="latin-1") as f:
        parts = cut_parts(f.read())
    for words in parts:
        part = Part(words)
        try:
            part.decode()
        except (IndexError, ValueError):
            pass
        for level in part.levels:
            print("%s %02d%02d %s %s" % (part.station, part.day, part.hour, part.word,
                                          " ".join([level[0]] + [text(v) for v in level[1:]])))


if __name__ == "__main__":
    main()
