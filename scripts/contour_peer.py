#!/usr/bin/python3
"""Draws a grid as matplotlib does, the peer of the contour-drawing benchmark.

Usage: contour_peer.py INPUT OUTPUT.png fill|line WIDTHxHEIGHT
INPUT is the contour oracle's input (int32 nx, ny, nlevels; float32 levels; float32 values row
by row, -9999 missing). "fill" draws contourf between the levels (the last band open above),
"line" draws contour at the levels; the figure is saved as a PNG of WIDTH x HEIGHT pixels.
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402


def main():
    path, out, kind, size = sys.argv[1:5]
    with open(path, "rb") as f:
        nx, ny, nl = np.fromfile(f, dtype=np.int32, count=3)
        levels = np.fromfile(f, dtype=np.float32, count=nl).astype(np.float64)
        z = np.fromfile(f, dtype=np.float32, count=nx * ny).reshape(ny, nx)
    z = np.ma.masked_equal(z, -9999.0)
    w, h = (int(v) for v in size.split("x"))
    fig = plt.figure(figsize=(w / 100.0, h / 100.0), dpi=100)
    ax = fig.add_axes([0.02, 0.1, 0.96, 0.85])
    # rows run down the page, as on the map
    ax.invert_yaxis()
    if kind == "fill":
        top = max(float(z.max()) + 1.0, levels[-1] + 1.0)
        cs = ax.contourf(z, levels=list(levels) + [top], cmap="coolwarm")
        fig.colorbar(cs, orientation="horizontal", cax=fig.add_axes([0.05, 0.03, 0.9, 0.03]))
    else:
        ax.contour(z, levels=levels, colors="black", linewidths=1)
    fig.savefig(out, dpi=100)


if __name__ == "__main__":
    main()
