"""Dask: lazy datasets over many files, and a LocalCluster of 2 worker processes decoding every
shared GRIB message as a serial loop does."""
import os
import pickle

import numpy as np
import pytest

import kol
from conftest import grib_files

dask = pytest.importorskip("dask")
distributed = pytest.importorskip("dask.distributed")

# Files every field of which decodes here, small enough for a quick cluster run.
def decodable(data):
    out = []
    for n in grib_files():
        p = data / "grib" / n
        try:
            kol.open_grib(p)
        except kol.KolError:
            continue
        out.append(p)
    return out


def nids_products(data):
    """The shared NIDS products with a value array the library decodes."""
    out = []
    for p in sorted((data / "nids").iterdir()):
        if p.suffix not in (".json", ".md"):
            try:
                kol.open_nids(p)
            except kol.KolError:
                continue
            out.append(p)
    return out


def test_lazy_dataset_over_files_equals_eager(data):
    paths = [data / "grib" / "g2_regular_ll_msl.grib2"] * 3
    lazy = kol.open_dataset(paths, chunks={})
    name = next(iter(lazy.data_vars))
    assert lazy[name].chunks is not None and lazy.sizes["file"] == 3
    eager = kol.open_dataset(paths[0])
    for k in range(3):
        np.testing.assert_array_equal(lazy[name].isel(file=k).values, eager[name].values)


def test_fields_pickle(data):
    f = kol.open_grib(data / "grib" / "g2_hrrr.t06z.wrfsfcf01-TMP.grib2")[0]
    back = pickle.loads(pickle.dumps(f))
    np.testing.assert_array_equal(back.values, f.values)
    np.testing.assert_array_equal(back.lon, f.lon)
    assert (back.name, back.units, back.step) == (f.name, f.units, f.step)


@pytest.mark.skipif(os.environ.get("KOL_SANITIZED") == "1",
                    reason="worker processes of a sanitizer build take too long to start")
def test_local_cluster_equals_serial_loop(data):
    paths = decodable(data)
    serial = [kol.open_grib(p) for p in paths]
    products = nids_products(data)
    serial_nids = [kol.open_nids(p) for p in products]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        # The workers find the database directory by themselves.
        assert set(client.run(kol.database).values()) == {kol.database()}
        parallel = kol.parallel.decode_all(paths, client)
        parallel_nids = kol.parallel.decode_all(products, client, reader=kol.open_nids)
    assert len(parallel_nids) == len(products) > 0
    for p, ours, theirs in zip(products, serial_nids, parallel_nids):
        for name in ("value", "level", "latitude", "longitude"):
            np.testing.assert_array_equal(ours[name].values, theirs[name].values, err_msg=p.name)
        assert ours.attrs == theirs.attrs
    assert len(parallel) == len(serial)
    for p, ours, theirs in zip(paths, serial, parallel):
        assert len(ours) == len(theirs), p.name
        for a, b in zip(ours, theirs):
            np.testing.assert_array_equal(a.values, b.values, err_msg=p.name)
            assert (a.name, a.level, a.valid_time) == (b.name, b.level, b.valid_time)
