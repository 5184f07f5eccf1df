"""Observations to pandas: the METAR decoder's columns and units, bulletins gathered per
station, soundings whose indices agree with their own levels, and reports that do not decode."""
import io
import warnings

import numpy as np
import pandas as pd
import pytest

import kol

METAR = "KDEN 061753Z 18010G20KT 10SM FEW080 SCT250 12/M03 A3012 RMK AO2 SLP190 T01221033"


@pytest.mark.parametrize("column,value,unit", [
    ("temp", 12.2, "degC"), ("dewp", -3.3, "degC"), ("wdir", 180, "degree"),
    ("wspd", 10, "knot"), ("gust", 20, "knot"), ("slp", 1019.0, "hPa"), ("alt", 30.12, "inHg"),
    ("vis", 10, "mile"), ("ceiling", 25000, "ft"),
])
def test_metar_columns(column, value, unit):
    df = kol.obs.decode_metar(METAR)
    assert df["station"][0] == "KDEN" and df["time"][0].strftime("%d %H%M") == "06 1753"
    assert df[column][0] == pytest.approx(value, abs=1e-3)
    assert df.attrs["units"][column] == unit
    assert np.isnan(df["prec24"][0])


def test_bulletins_one_row_per_station_and_hour(data):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kol.KolWarning)
        df = kol.obs.read_bulletins(data / "bulletins" / "pyiem_METAR_collective.txt",
                                    reference="2023-01-01")
    assert len(df) > 0 and df["time"].notna().all()
    hours = df.assign(hour=df["time"].dt.floor("h"))
    assert not hours.duplicated(["station", "hour"]).any()


def test_sounding_indices_agree_with_levels(data):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kol.KolWarning)
        found = kol.obs.read_soundings(data / "upperair" / "real_72694_TTAA_TTBB_PPBB_TTCC.txt",
                                       reference="2023-01-01")
    s = found["KSLE"][0]
    assert s.wmo == "72694" and s.lat == pytest.approx(44.9, abs=0.1)
    lv = s.levels.drop_duplicates("pres").set_index("pres")
    t850, td850, t500 = lv.loc[850.0, "temp"], lv.loc[850.0, "dewp"], lv.loc[500.0, "temp"]
    assert s.indices["vt"] == pytest.approx(t850 - t500, abs=0.05)
    assert s.indices["ct"] == pytest.approx(td850 - t500, abs=0.05)
    assert s.indices["tt"] == pytest.approx(s.indices["vt"] + s.indices["ct"], abs=0.05)
    assert (s.levels["pres"].diff().dropna() <= 0).all()


@pytest.mark.parametrize("decode", [kol.obs.decode_metar, kol.obs.decode_synop,
                                    kol.obs.decode_temp])
def test_garbage_reports_raise(decode):
    with pytest.raises(kol.KolError):
        decode("\x00\x01 ))) 99999 ////")


# Columns of kolsfc -list -out=csv and the DataFrame columns holding the same values.
SURFACE_CSV = {"lat.deg": "lat", "lon.deg": "lon", "elev.m": "elev", "temp.C": "temp",
               "dewp.C": "dewp", "wdir.deg": "wdir", "wspd.knt": "wspd", "wgust.knt": "gust",
               "alt.in": "alt", "slp.mb": "slp", "vis.mi": "vis", "ptend.mb": "ptend",
               "prec1.mm": "prec1", "prec6.mm": "prec6", "prec24.mm": "prec24",
               "maxt.C": "maxt", "mint.C": "mint", "snow_cov.cm": "snow"}


def program_csv(*args):
    from conftest import run_program
    return pd.read_csv(io.StringIO(run_program(*args)), dtype={"id": str, "station": str})


@pytest.mark.parametrize("capture", ["bulletins/pyiem_METAR_collective.txt",
                                     "synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt"])
def test_surface_frames_equal_kolsfc(data, tmp_path, capture):
    filed = tmp_path / "filed.sfc"
    program_csv("kolsfc", "-da=202301171200", f"-cvt={filed}", data / capture)
    listed = program_csv("kolsfc", "-list", "-out=csv", filed)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kol.KolWarning)
        frames = {"file": kol.obs.read_surface(filed),
                  "bulletins": kol.obs.read_bulletins(data / capture, reference="2023-01-17 12:00")}
    key = listed["id"].astype(str) + "@" + listed["date"].astype(str)
    # The file keeps temperatures to a tenth of a degree Fahrenheit, winds to whole knots and
    # amounts to hundredths of an inch; decoded reports are exact.
    amounts = {p: 0.13 for p in ("prec1", "prec6", "prec24", "snow")}
    coarse = {"wspd": 0.5, "gust": 0.5, **amounts}
    for how, df in frames.items():
        assert len(df) == len(listed), how
        seconds = (df["time"] - pd.Timestamp(0)) // pd.Timedelta(seconds=1)
        ours = df.assign(key=df["station"] + "@" + seconds.astype(str))
        ours = ours.set_index("key").loc[key]
        for column, name in SURFACE_CSV.items():
            atol = 1e-4 if how == "file" else coarse.get(name, 0.06)
            np.testing.assert_allclose(ours[name].to_numpy(float), listed[column].to_numpy(float),
                                       rtol=1e-5, atol=atol, err_msg=f"{how} {name}")


@pytest.mark.parametrize("source", ["upperair/real_72694_TTAA_TTBB_PPBB_TTCC.txt",
                                    "upperair/ENCODED_72357_OUN_20110522_12Z.txt"])
def test_soundings_equal_kolupa(data, source):
    listed = program_csv("kolupa", "-out=csv", data / source)
    listed["wmo"] = listed["wmo"].astype(str)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kol.KolWarning)
        found = kol.obs.read_soundings(data / source)
    soundings = [s for group in found.values() for s in group]
    # The program names a station by its identifier and WMO number, the frames by either.
    assert sorted({s.station for s in soundings}) == sorted(
        {w if w in {s.station for s in soundings} else i
         for i, w in zip(listed["station"], listed["wmo"])})
    for s in soundings:
        rows = listed[(listed["station"] == s.station) | (listed["wmo"] == s.station)]
        lv = s.levels
        assert len(lv) == len(rows), s.station
        for ours, theirs, decimals in [("pres", "pres_hPa", 1), ("hght", "hght_m", 0),
                                       ("temp", "temp_C", 1), ("dewp", "dewp_C", 1),
                                       ("wdir", "wdir_deg", 0), ("wspd", "wspd_kt", 0)]:
            np.testing.assert_allclose(lv[ours].round(decimals).to_numpy(float),
                                       rows[theirs].to_numpy(float), atol=0.051,
                                       err_msg=f"{s.station} {ours}")
