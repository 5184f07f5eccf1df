"""Observations to pandas: the METAR decoder's columns and units, bulletins gathered per
station, soundings whose indices agree with their own levels, and reports that do not decode."""
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
    s = found["72694"][0]
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
