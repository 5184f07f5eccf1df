"""kol.plot: charts of surface observations, grid fields and radar products drawn by the
programs with the same keys, as PNG pictures that Jupyter shows and as PostScript."""
import io
import warnings

import numpy as np
import pytest

import kol

PNG = b"\x89PNG\r\n\x1a\n"


def pixels(picture):
    """The picture's RGB pixels (needs Pillow or matplotlib's reader)."""
    try:
        from PIL import Image
        return np.asarray(Image.open(io.BytesIO(picture.png)).convert("RGB"))
    except ImportError:
        import matplotlib.image
        return (matplotlib.image.imread(io.BytesIO(picture.png))[..., :3] * 255).astype(int)


def coloured(rgb):
    """Share of pixels that are neither grey nor white: colour fills, radar classes."""
    rgb = rgb.astype(int)
    spread = rgb.max(axis=2) - rgb.min(axis=2)
    return float((spread > 40).mean())


def inked(rgb):
    """Share of pixels that are not white."""
    return float((rgb.astype(int).sum(axis=2) < 700).mean())


@pytest.fixture(scope="module")
def surface_file(data, tmp_path_factory):
    """A surface file filed by kolsfc from a capture of METAR collectives."""
    from conftest import run_program
    out = tmp_path_factory.mktemp("sfc") / "metar.sfc"
    run_program("kolsfc", "-da=202301010000", f"-cvt={out}",
                data / "bulletins" / "pyiem_METAR_collective.txt")
    return out


CHARTS = [
    # (what, keys, measure, least share of the picture): a temperature field filled over the
    # map, a line of storms, a grey infrared image over most of the frame.
    ("grib/g2_hrrr.t06z.wrfsfcf01-TMP.grib2", {"va": "sfc:temp[C,cf]"}, coloured, 0.35),
    ("grib/g2_hrrr.t06z.wrfsfcf01-TMP.grib2", {"va": "sfc:temp[C]", "pd": "oklahoma"}, inked,
     0.03),
    ("nids/KOUN_SDUS54_N0QTLX_201305202016", {}, coloured, 0.02),
    ("gini/HI-REGIONAL_4km_3.9_20160616_1715.gini", {}, inked, 0.5),
]


@pytest.mark.parametrize("source,keys,measure,least", CHARTS)
def test_charts_of_files(data, source, keys, measure, least):
    picture = kol.plot(data / source, **keys)
    assert picture._repr_png_().startswith(PNG)
    w, h = picture.size
    assert w > 300 and h > 300
    assert measure(pixels(picture)) >= least


def test_surface_chart_with_variable_list(surface_file, tmp_path):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kol.KolWarning)
        stations = kol.plot(surface_file, pd="conus")
        filled = kol.plot(surface_file, va="temp", pl="cf", pd="conus")
    # The filled analysis colours much of the map; the station models alone do not.
    assert coloured(pixels(filled)) > coloured(pixels(stations)) + 0.05
    ps = filled.save(tmp_path / "temp.ps")
    head = open(ps, "rb").read(200)
    assert head.startswith(b"%!PS")
    png = filled.save(tmp_path / "temp.png")
    assert open(png, "rb").read() == filled.png


def test_plot_of_unreadable_file_raises(tmp_path):
    junk = tmp_path / "junk.grib2"
    junk.write_bytes(b"GRIB" + bytes(200))
    with pytest.raises(kol.KolError):
        kol.plot(junk, va="temp")
