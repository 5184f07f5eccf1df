#!/usr/bin/env python3
"""The Python module beside cfgrib in one run: open_dataset(...).load() on the shared GRIB set and
the HRRR benchmark fields (time and peak memory, each reader in its own process), and a Dask
LocalCluster of 2 worker processes against 1 on 200 copies of the benchmark fields.

Run from a build tree: PYTHONPATH=build/dev/python /usr/bin/python3 bench/python_grib.py
(KOL_TEST_DATA names the shared data; --no-cluster leaves the cluster part out)."""
import json
import os
import pathlib
import subprocess
import sys
import time

DATA = pathlib.Path(os.environ.get("KOL_TEST_DATA") or
                    pathlib.Path(__file__).resolve().parents[2] / "shared" / "data")

# One reader over a list of files in a fresh process: seconds and peak memory above the baseline.
CHILD = r"""
import json, resource, sys, time, warnings
warnings.simplefilter("ignore")
reader, paths, repeat = sys.argv[1], sys.argv[2:-1], int(sys.argv[-1])
import numpy as np, xarray as xr
if reader == "kol":
    import kol, kol.grib
    def load(p):
        for ds in kol.open_datasets(p):
            ds.load()
    def fresh():
        # Each pass starts without the coordinates of lattices met before.
        kol.grib._LATTICES.clear()
else:
    import cfgrib
    def load(p):
        for ds in cfgrib.open_datasets(p, backend_kwargs={"indexpath": ""}):
            ds.load()
    def fresh():
        pass
base = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
best = None
for _ in range(repeat):
    fresh()
    t = time.perf_counter()
    for p in paths:
        load(p)
    dt = time.perf_counter() - t
    best = dt if best is None else min(best, dt)
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - base
print(json.dumps({"seconds": best, "peak_mb": peak / 1024}))
"""


def measure(reader, paths, repeat):
    out = subprocess.run([sys.executable, "-c", CHILD, reader] + [str(p) for p in paths] +
                         [str(repeat)], capture_output=True, text=True, check=True)
    return json.loads(out.stdout.strip().splitlines()[-1])


def readable_by_both(paths):
    """The files both readers open without an error (the comparison needs the same work)."""
    ok = []
    for p in paths:
        try:
            measure("kol", [p], 1), measure("cfgrib", [p], 1)
            ok.append(p)
        except subprocess.CalledProcessError:
            pass
    return ok


def compare(title, paths, repeat):
    kol = measure("kol", paths, repeat)
    cf = measure("cfgrib", paths, repeat)
    print(f"{title}: {len(paths)} files; kol {kol['seconds']:.3f} s, {kol['peak_mb']:.0f} MB; "
          f"cfgrib {cf['seconds']:.3f} s, {cf['peak_mb']:.0f} MB; "
          f"speed-up {cf['seconds'] / kol['seconds']:.1f}x, memory ratio "
          f"{kol['peak_mb'] / max(cf['peak_mb'], 1e-9):.2f}")


def decode_mean(path):
    """One task: the mean of a file's first field, with the task's wall and CPU seconds."""
    import time

    import numpy as np

    import kol
    wall, cpu = time.perf_counter(), time.process_time()
    mean = float(np.nanmean(kol.open_grib(path)[0].values))
    return mean, time.perf_counter() - wall, time.process_time() - cpu


def set_one_thread():
    import kol
    kol.set_threads(1)


def cluster(paths, copies, rounds=3):
    """1 and 2 workers in turn, rounds times each, the best of each kept: on a shared machine
    the other load comes and goes. Also what the tasks themselves took: wall seconds inside the
    tasks against the cluster's, and their CPU share (below 1: waiting for a core)."""
    from dask.distributed import Client, LocalCluster
    work = [str(paths[k % len(paths)]) for k in range(copies)]
    best = {}
    for _ in range(rounds):
        for workers in (1, 2):
            with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                              dashboard_address=None) as c, Client(c) as client:
                # The workers are the parallelism: each decodes on one thread.
                client.run(set_one_thread)
                client.gather(client.map(decode_mean, work[:workers], pure=False))  # warm up
                t = time.perf_counter()
                done = client.gather(client.map(decode_mean, work, pure=False))
                dt = time.perf_counter() - t
            inside = sum(d[1] for d in done) / workers
            cpu = sum(d[2] for d in done) / max(sum(d[1] for d in done), 1e-9)
            print(f"  {workers} worker(s): {dt:.2f} s, in tasks {inside / dt:.0%} of it, "
                  f"CPU share of the tasks {cpu:.2f}")
            best[workers] = min(best.get(workers, dt), dt)
    print(f"LocalCluster on {copies} benchmark fields: 1 worker {best[1]:.2f} s, "
          f"2 workers {best[2]:.2f} s, speed-up {best[1] / best[2]:.2f}x (best of {rounds})")


def main():
    bench = sorted((DATA / "grib" / "bench").glob("*.grib2"))
    shared = sorted(p for p in (DATA / "grib").iterdir()
                    if p.is_file() and p.suffix not in (".md", ".json", ".idx"))
    compare("HRRR benchmark fields", bench, 3)
    compare("shared GRIB set", readable_by_both(shared), 1)
    if "--no-cluster" not in sys.argv:
        cluster(bench, 200)


if __name__ == "__main__":
    main()
