#!/usr/bin/env python3
"""Successive correction with Gaussian weights from its description: the objective analysis
reference. Reads "nx ny dx dy rad_inf filter conv passes min_sta background", then "x y value"
per station (grid coordinates, -9999 missing); writes the grid, one row a line."""
import sys

import numpy as np

MISS = -9999.0


def interpolate(grid, x, y):
    """Bilinear value at a fractional grid position, missing outside or next to a missing value."""
    ny, nx = grid.shape
    if not (0 <= x <= nx - 1 and 0 <= y <= ny - 1):
        return MISS
    i, j = int(x), int(y)
    fx, fy = x - i, y - j
    if i == nx - 1 and j == ny - 1:
        return grid[j, i]
    if i == nx - 1:
        a, b = grid[j, i], grid[j + 1, i]
        return MISS if MISS in (a, b) else a + fy * (b - a)
    if j == ny - 1:
        a, b = grid[j, i], grid[j, i + 1]
        return MISS if MISS in (a, b) else a + fx * (b - a)
    c = (grid[j, i], grid[j, i + 1], grid[j + 1, i], grid[j + 1, i + 1])
    if MISS in c:
        return MISS
    return ((1 - fx) * (1 - fy) * c[0] + fx * (1 - fy) * c[1] + (1 - fx) * fy * c[2] + fx * fy * c[3])


def weighted_sums(xs, ys, vals, nx, ny, dx, dy, r2max, kappa):
    """Sum of w*v, sum of w and count of valid stations within the radius, every point."""
    ok = vals != MISS
    xs, ys, vals = xs[ok], ys[ok], vals[ok]
    s, w, n = np.zeros((ny, nx)), np.zeros((ny, nx)), np.zeros((ny, nx), dtype=int)
    ii = np.arange(nx, dtype=float)
    for j in range(ny):
        r2 = ((xs[None, :] - ii[:, None]) * dx) ** 2 + ((ys[None, :] - j) * dy) ** 2
        inside = r2 <= r2max
        wt = np.where(inside, np.exp(-r2 / kappa), 0.0)
        s[j] = (wt * vals[None, :]).sum(axis=1)
        w[j] = wt.sum(axis=1)
        n[j] = inside.sum(axis=1)
    return s, w, n


def residuals(grid, xs, ys, obs):
    res = [(o, interpolate(grid, x, y)) for x, y, o in zip(xs, ys, obs)]
    return np.array([MISS if MISS in (o, a) else float(np.float32(o - a)) for o, a in res])


def analyse(text):
    lines = text.split("\n")
    head = lines[0].split()
    nx, ny = int(head[0]), int(head[1])
    dx, dy, rad_inf, kappa, conv = (float(v) for v in head[2:7])
    passes, min_sta, background = int(head[7]), int(head[8]), float(head[9])
    rows = np.array([[float(v) for v in line.split()] for line in lines[1:] if line.strip()]).reshape(-1, 3)
    xs, ys, obs = rows[:, 0], rows[:, 1], rows[:, 2]
    r2max = (rad_inf * dx) ** 2
    first = obs.copy()
    if background != MISS:
        first[first == MISS] = background
    s, w, n = weighted_sums(xs, ys, first, nx, ny, dx, dy, r2max, kappa)
    if background != MISS:
        s, w, n = s + background, w + 1, n + 1
    enough = (w != 0) & (n >= min_sta)
    grid = np.where(enough, s / np.where(w != 0, w, 1), MISS).astype(np.float32).astype(float)
    for _ in range(2, passes + 1):
        kappa = float(np.float32(kappa) * np.float32(conv))  # the filter is kept as a float
        res = residuals(grid, xs, ys, obs)
        s, w, n = weighted_sums(xs, ys, res, nx, ny, dx, dy, r2max, kappa)
        enough = (w != 0) & (n >= min_sta) & (grid != MISS)
        grid = np.where(enough, grid + s / np.where(w != 0, w, 1), MISS).astype(np.float32).astype(float)
    return grid


if __name__ == "__main__":
    for row in analyse(sys.stdin.read()):
        sys.stdout.write(" ".join("%.9g" % v for v in row) + "\n")
