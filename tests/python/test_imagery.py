"""Radar products and satellite images as arrays: equal to what the library's programs print
from the same files, and to what independent decoders read from them; broken files raise."""
import io

import numpy as np
import pandas as pd
import pytest

import kol
from conftest import data_dir, expected, run_program


def nids_files(packet):
    """Shared NIDS products whose data packet an independent decoder names with packet."""
    d = data_dir() / "nids"
    if not d.is_dir():
        return []
    out = []
    for p in sorted(d.glob("*.expected.json")):
        product = p.with_name(p.name[:-len(".expected.json")])
        if packet in str(expected(product).get("data_packet")):
            out.append(product.name)
    return out


@pytest.mark.parametrize("name", nids_files("radial"))
def test_nids_radial_against_independent_decoder(data, name):
    path = data / "nids" / name
    want = expected(path)
    ds = kol.open_nids(path)
    assert ds.sizes["azimuth"] == want["num_radials"]
    assert ds.attrs["product"] == want["product_code"]
    assert ds.attrs["radar_lat"] == pytest.approx(want["radar_latitude"], abs=1e-3)
    # The values are the decoded product's own memory.
    assert not ds["value"].values.flags.owndata
    lat, lon = ds["latitude"].values, ds["longitude"].values
    # The first bin is at the radar; the bins move away from it along each radial.
    assert lat[0, 0] == pytest.approx(want["radar_latitude"], abs=0.05)
    assert lon[0, 0] == pytest.approx(want["radar_longitude"], abs=0.05)
    north = int(ds.sizes["azimuth"] * 0.001)
    assert np.all(np.diff(lat[north]) > 0)


@pytest.mark.parametrize("name", nids_files("digital radial")[:6] + nids_files("raster")[:3])
def test_nids_values_equal_kolrad_csv(data, name):
    path = data / "nids" / name
    ds = kol.open_nids(path)
    table = pd.read_csv(io.StringIO(run_program("kolrad", "-out=csv", path)))
    v = ds["value"].values
    assert int(np.isfinite(v).sum()) == len(table)
    if "azimuth" in ds.dims:
        step = 360.0 / ds.sizes["azimuth"]
        j = np.rint(table["azimuth"] / step).astype(int)
        i = np.searchsorted(ds["range"].values / 1000, table["range_km"] - 1e-3)
        np.testing.assert_allclose(ds["azimuth"].values[j] - step / 2, table["azimuth"], atol=0.051)
        np.testing.assert_allclose(ds["range"].values[i] / 1000, table["range_km"], atol=1e-3)
    else:
        j, i = table["row"], table["column"]
    np.testing.assert_allclose(v[j, i], table["value"], rtol=1e-5)


def gini_files():
    d = data_dir() / "gini"
    return sorted(p.name for p in d.glob("*.expected.json")) if d.is_dir() else []


@pytest.mark.parametrize("json_name", gini_files())
def test_gini_against_independent_decoder_and_kolsat(data, json_name):
    path = data / "gini" / json_name[:-len(".expected.json")]
    want = expected(path)
    ds = kol.open_gini(path)
    pixels = ds["pixel"].values
    assert list(pixels.shape) == want["data_shape"]
    assert not pixels.flags.owndata
    assert int(pixels.sum(dtype=np.int64)) == want["pixel_sum"]
    assert pixels[0, :10].tolist() == want["first_row_first10"]
    row = pixels.shape[0] // 2
    table = pd.read_csv(io.StringIO(run_program("kolsat", "-out=csv", f"-ro={row}", path)))
    np.testing.assert_array_equal(pixels[row, table["column"]], table["pixel"])
    np.testing.assert_allclose(ds["value"].values[row, table["column"]],
                               table["value"].where(table["value"] != -9999), rtol=1e-5)
    # Columns step evenly across the plane, by 1 km (radar composites) to 24 km (a hemisphere).
    step = np.diff(ds["x"].values)
    assert np.allclose(step, step[0]) and 900 < abs(step[0]) < 25000
    # The header's first point is the lower left corner: the first pixel of the last row.
    assert ds["latitude"][-1, 0] == pytest.approx(want["la1"], abs=0.01)
    assert ds["longitude"][-1, 0] == pytest.approx(want["lo1"], abs=0.01)


LEVEL2 = [("KTLX20100501_000444_V03.gz", 1, "REF"), ("KTLX20100501_000444_V03.gz", 2, "VEL"),
          ("Level2_KFTG_20150430_1419.ar2v", 1, "REF")]


@pytest.mark.parametrize("name,cut,moment", LEVEL2)
def test_level2_sweep_equals_kolrad_dump(data, tmp_path, name, cut, moment):
    path = data / "level2" / name
    sweep = kol.open_level2(path, cut, moment)
    dump = tmp_path / "sweep.f32"
    azimuths = np.loadtxt(io.StringIO(
        run_program("kolrad", f"-dump={cut}:{moment}", f"-ou={dump}", path)))
    values = np.fromfile(dump, "<f4").reshape(sweep.shape)
    np.testing.assert_array_equal(sweep.values, values)
    np.testing.assert_allclose(sweep["azimuth"].values, azimuths, atol=5e-5)
    want = expected(path)["sweeps"][cut - 1]
    assert sweep.sizes["azimuth"] == want["n_radials"]
    # Gates climb away from the radar with the beam; the first is next to it.
    lat = sweep["latitude"].values
    assert abs(lat[0, 0] - sweep.attrs["radar_lat"]) < 0.05


def test_level2_missing_moment_raises(data):
    v = kol.Volume(data / "level2" / "KTLX20100501_000444_V03.gz")
    with pytest.raises(KeyError):
        v.sweep(1, "XYZ")


@pytest.mark.parametrize("reader", [kol.open_nids, kol.open_gini, kol.open_level2])
@pytest.mark.parametrize("source,keep", [
    ("nids/KOUN_SDUS54_N0QTLX_201305202016", 60),  # the text heading and a bit of header
    ("gini/HI-REGIONAL_4km_3.9_20160616_1715.gini", 40),
    ("level2/KTLX20100501_000444_V03.gz", 30),
    ("grib/g2_regular_ll_msl.grib2", None),  # another kind of file altogether
])
def test_broken_or_foreign_files_raise(data, tmp_path, reader, source, keep):
    whole = (data / source).read_bytes()
    broken = tmp_path / "broken"
    broken.write_bytes(whole[:keep])
    with pytest.raises(kol.KolError):
        reader(broken)
