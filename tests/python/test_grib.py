"""GRIB through kol against cfgrib and ecCodes, the shared memory of the values, the xarray
backend, pickling, and hostile files."""
import os
import pickle

import numpy as np
import pytest

import kol
from conftest import grib_files

cfgrib = pytest.importorskip("cfgrib")
xr = pytest.importorskip("xarray")

# Files whose fields cfgrib cannot hold on a lattice as we do: the thinned rows are
# interpolated to full rows here, cfgrib keeps the native points.
# Files that cfgrib takes minutes over (hundreds of messages on one hypercube).
SLOW = {"g2_gfs.t12z.pgrbf120.2p5deg.grib2"}
THINNED = {"g1_reduced_gg.grib", "g1_reduced_ll.grib1", "g2_reduced_latlon_surface.grib2"}


def slices(datasets):
    """Every 2-D field of the datasets as (valid time, values), rows from north to south."""
    out = []
    for ds in datasets:
        for var in ds.data_vars.values():
            if var.ndim < 2:
                continue
            lat = ds[var.dims[-2]] if var.dims[-2] == "latitude" else ds.coords.get("latitude")
            flip = lat is not None and lat.ndim >= 1 and float(lat[(0,) * lat.ndim]) < float(
                lat[(-1,) + (0,) * (lat.ndim - 1)])
            lead = var.dims[:-2]
            stacked = var.stack(_f=lead) if lead else var.expand_dims("_f")
            valid = ds["valid_time"] if "valid_time" in ds.coords else None
            for k in range(stacked.sizes["_f"]):
                a = np.asarray(stacked.isel(_f=k).transpose(*var.dims[-2:]))
                out.append((valid, a[::-1] if flip else a))
    return out


def cfgrib_slices(path, messages):
    """cfgrib's fields of a file; None when its hypercube would be mostly holes (it fills the
    combinations a file lacks with NaN)."""
    datasets = cfgrib.open_datasets(path, backend_kwargs={"indexpath": ""})
    cells = sum(int(np.prod([v.sizes[d] for d in v.dims[:-2]] or [1]))
                for ds in datasets for v in ds.data_vars.values())
    return None if cells > 4 * messages else slices(datasets)


def eccodes_slices(path):
    """Every message's values as ecCodes decodes them, rows north to south."""
    import eccodes
    out = []
    with open(path, "rb") as f:
        while (h := eccodes.codes_grib_new_from_file(f)) is not None:
            try:
                nx, ny = eccodes.codes_get(h, "Ni"), eccodes.codes_get(h, "Nj")
                eccodes.codes_set(h, "missingValue", 1e20)
                a = eccodes.codes_get_values(h).reshape(ny, nx)
                a = np.where(a == 1e20, np.nan, a)
                if eccodes.codes_get(h, "jScansPositively"):
                    a = a[::-1]
                out.append((None, a))
            finally:
                eccodes.codes_release(h)
    return out


def match_all(ours, theirs):
    """Pairs every field of theirs with an equal field of ours (each used once); the index in
    theirs of the first field without one, else None."""
    buckets = {}
    for _, a in ours:
        buckets.setdefault((a.shape, int(np.isnan(a).sum())), []).append(a.ravel())
    stacks = {k: np.array(v, dtype=np.float64) for k, v in buckets.items()}
    used = {k: np.zeros(len(v), bool) for k, v in stacks.items()}
    for k, (_, a) in enumerate(theirs):
        key = (a.shape, int(np.isnan(a).sum()))
        if key not in stacks:
            return k
        m, b = stacks[key], a.ravel().astype(np.float64)
        close = np.isclose(m, b, rtol=2e-6, atol=1e-5, equal_nan=True).all(axis=1) & ~used[key]
        if not close.any():
            return k
        used[key][np.argmax(close)] = True
    return None


@pytest.mark.parametrize("name", grib_files() or ["none"])
def test_dataset_equals_cfgrib(data, name):
    if name == "none":
        pytest.skip("no GRIB test data")
    if name == "g2_scanning_mode_with_bitmap.grib2":
        pytest.xfail("points of a 2 x 3 grid with scanning mode 0x40 land in other places here")
    if name in SLOW and not os.environ.get("KOL_PYTHON_ALL"):
        pytest.skip("cfgrib needs minutes for it; KOL_PYTHON_ALL=1 compares it")
    if name in THINNED:
        pytest.skip("thinned rows: interpolated to full rows here, native points in cfgrib")
    path = str(data / "grib" / name)
    try:
        ours = slices(kol.open_datasets(path))
    except kol.KolError as e:
        ours, error = [], str(e)
    try:
        # No index file: the shared data is read-only.
        theirs = cfgrib_slices(path, len(ours)) if ours else slices(
            cfgrib.open_datasets(path, backend_kwargs={"indexpath": ""}))
    except Exception as e:  # cfgrib raises many kinds
        pytest.skip(f"cfgrib cannot open it: {type(e).__name__}")
    if theirs is None:
        theirs = eccodes_slices(path)
    if not theirs or any(a.ndim != 2 for _, a in theirs):
        pytest.skip("cfgrib holds no 2-D lattice for it")
    assert ours, f"cfgrib reads {len(theirs)} fields, here: {error}"
    missing = match_all(ours, theirs)
    assert missing is None, f"cfgrib field {missing} of {len(theirs)} has no equal field here"


def owner(a):
    """The object at the end of an array's chain of bases."""
    while isinstance(a, np.ndarray) and a.base is not None:
        a = a.base
    return a


def test_values_share_the_decoded_grid(data):
    field = kol.open_grib(data / "grib" / "g1_fields_with_missing_values.grib")[0]
    v = field.values
    assert v.dtype == np.float32 and v.ndim == 2 and not v.flags.owndata
    assert isinstance(v.base, kol._kol.Grid)
    assert np.shares_memory(v, field._grid.values)
    assert np.isnan(v).any() and not (v == -9999).any()
    ds = kol.open_dataset(data / "grib" / "g1_regular_ll_sfc.grib")
    name = next(iter(ds.data_vars))
    assert isinstance(owner(ds[name].values), kol._kol.Grid)


def test_coordinates_and_description(data):
    # HRRR surface temperature: a 3 km Lambert conformal grid, rows north to south here.
    f = kol.open_grib(data / "grib" / "g2_hrrr.t06z.wrfsfcf01-TMP.grib2")[0]
    assert f.shape == (1059, 1799) and f.units == "K" and f.level_type == 1
    assert f.step == np.timedelta64(1, "h") and f.valid_time == f.time + f.step
    assert f.lat[-1, 0] == pytest.approx(21.138123, abs=1e-4)
    assert f.lon[-1, 0] == pytest.approx(237.280472 - 360, abs=1e-4)
    assert 260 < np.nanmean(f.values) < 310


def test_backend_class_and_pickle(data):
    path = str(data / "grib" / "g2_regular_ll_msl.grib2")
    ds = xr.open_dataset(path, engine=kol.KolBackendEntrypoint)
    xr.testing.assert_identical(ds, kol.open_dataset(path))
    assert ds["longitude"].attrs["units"] == "degrees_east"
    fields = kol.open_grib(path)
    back = pickle.loads(pickle.dumps(fields))
    for a, b in zip(fields, back):
        np.testing.assert_array_equal(a.values, b.values)
        np.testing.assert_array_equal(a.lat, b.lat)
        assert (a.name, a.level, a.valid_time) == (b.name, b.level, b.valid_time)


def hostile(tmp_path, data):
    """Files no reader should accept: empty, garbage, a GRIB message cut short, a header only."""
    real = (data / "grib" / "g2_regular_ll_msl.grib2").read_bytes()
    files = {"empty.grib": b"", "garbage.grib": bytes(range(256)) * 40,
             "cut.grib2": real[: len(real) // 2], "header.grib2": real[:16] + b"7777"}
    for n, b in files.items():
        (tmp_path / n).write_bytes(b)
    return [tmp_path / n for n in files] + [tmp_path / "absent.grib"]


def test_hostile_files_raise_with_the_library_message(tmp_path, data):
    for path in hostile(tmp_path, data):
        with pytest.raises(kol.KolError) as e:
            kol.open_dataset(path)
        text = str(e.value)
        assert text and "\n" not in text, path.name


def test_fields_on_one_lattice_share_coordinates(data):
    bench = data / "grib" / "bench"
    a = kol.open_grib(bench / "hrrr_tmp2m_grid_simple.grib2")[0]
    b = kol.open_grib(bench / "hrrr_tmp2m_grid_jpeg.grib2")[0]
    assert a.lat is b.lat and a.lon is b.lon
    assert not a.lat.flags.writeable
    # Every other lattice met in between does not take it out of the cache wrongly.
    other = kol.open_grib(data / "grib" / "g2_regular_ll_msl.grib2")[0]
    assert other.lat.shape != a.lat.shape


@pytest.mark.parametrize("threads", [1, 2])
def test_decoding_threads_give_the_same_values(data, threads):
    path = data / "grib" / "bench" / "hrrr_tmp2m_grid_jpeg.grib2"
    kol.set_threads(0)
    every_core = kol.open_grib(path)[0].values
    try:
        kol.set_threads(threads)
        np.testing.assert_array_equal(kol.open_grib(path)[0].values, every_core)
    finally:
        kol.set_threads(0)
