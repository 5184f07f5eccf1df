#!/usr/bin/python3
"""Contours a grid with contourpy for comparison with the library's contouring.

Input file: int32 nx, ny, nlevels; float32 levels; float32 values row by row (-9999 missing),
native byte order. Output (text): for each line "line K CLOSED N x y x y ...", for each band
"area K A" (the band above level K, the last one open above), and with --time the seconds
for all lines and all fills ("time LINES FILLS").
"""
import sys
import time

import numpy as np
from contourpy import contour_generator


def read(path):
    with open(path, "rb") as f:
        nx, ny, nl = np.fromfile(f, dtype=np.int32, count=3)
        levels = np.fromfile(f, dtype=np.float32, count=nl).astype(np.float64)
        z = np.fromfile(f, dtype=np.float32, count=nx * ny).reshape(ny, nx).astype(np.float64)
    masked = np.ma.masked_equal(z, -9999.0)
    return levels, masked if np.ma.count_masked(masked) else z


def ring_area(p):
    x, y = p[:, 0], p[:, 1]
    return 0.5 * float(np.dot(x, np.roll(y, -1)) - np.dot(y, np.roll(x, -1)))


def main():
    path, out_path = sys.argv[1], sys.argv[2]
    timing = "--time" in sys.argv
    levels, z = read(path)
    gen = contour_generator(z=z, name="serial", corner_mask=False, line_type="Separate",
                            fill_type="OuterOffset")
    top = float(z.max()) + 1.0 if np.ma.count(z) else 1.0
    t0 = time.process_time()
    lines = [gen.lines(lev) for lev in levels]
    t1 = time.process_time()
    bounds = list(levels) + [max(top, levels[-1] + 1.0)]
    fills = [gen.filled(bounds[k], bounds[k + 1]) for k in range(len(levels))]
    t2 = time.process_time()
    with open(out_path, "w") as out:
        if timing:
            out.write("time %.6f %.6f\n" % (t1 - t0, t2 - t1))
            return
        for k, ls in enumerate(lines):
            for p in ls:
                closed = int(len(p) > 2 and p[0][0] == p[-1][0] and p[0][1] == p[-1][1])
                out.write("line %d %d %d %s\n" % (k, closed, len(p),
                                                 " ".join("%.6f %.6f" % (x, y) for x, y in p)))
        for k, (points, offsets) in enumerate(fills):
            area = 0.0
            for pts, offs in zip(points, offsets):
                for a, b in zip(offs[:-1], offs[1:]):
                    area += ring_area(pts[a:b])
            out.write("area %d %.9g\n" % (k, abs(area)))


if __name__ == "__main__":
    main()
