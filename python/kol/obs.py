"""Observations as pandas DataFrames: surface files, filed bulletins and raw captures, the
METAR, SYNOP and TEMP decoders, and soundings with their stability indices."""
import os

import numpy as np
import pandas as pd

from . import _kol

MISSING = -9999.0

# Units of the surface columns, as the library stores them.
SURFACE_UNITS = {
    "lat": "degrees_north", "lon": "degrees_east", "elev": "m", "temp": "degC", "dewp": "degC",
    "wdir": "degree", "wspd": "knot", "gust": "knot", "slp": "hPa", "alt": "inHg",
    "vis": "mile", "ceiling": "ft", "ptend": "hPa", "prec1": "mm", "prec3": "mm", "prec6": "mm",
    "prec12": "mm", "prec24": "mm", "maxt": "degC", "mint": "degC", "snow": "cm", "sun": "min",
    "sst": "degC",
}
SOUNDING_UNITS = {"pres": "hPa", "hght": "m", "temp": "degC", "dewp": "degC", "wdir": "degree",
                  "wspd": "knot"}


def _seconds(s):
    return None if s is None or s == MISSING else pd.Timestamp(int(s), unit="s")


def _frame(columns, units):
    """A DataFrame of the library's columns: -9999 becomes NaN, units go to .attrs."""
    seconds = np.asarray(columns.pop("seconds"), dtype=np.int64)
    frame = {}
    for name, values in columns.items():
        a = np.asarray(values)
        if a.dtype.kind == "f":
            a = np.where(a == MISSING, np.nan, a).astype(np.float32)
        frame[name] = a
    df = pd.DataFrame(frame)
    if len(seconds):
        t = pd.to_datetime(seconds, unit="s")
        df.insert(1 if "station" in df else 0, "time", t.where(seconds != MISSING))
    df.attrs["units"] = {k: v for k, v in units.items() if k in df}
    return df


def _ref(reference):
    if reference is None:
        return int(MISSING)
    return int(pd.Timestamp(reference).timestamp())


def read_surface(path):
    """Every record of a surface file (the library's own, netCDF, XML or text table) as a
    DataFrame: station, time, lat, lon and one column per variable; units in df.attrs["units"]."""
    return _frame(_kol.read_surface(os.fspath(path)), SURFACE_UNITS)


def read_bulletins(path, reference=None):
    """The METAR, SPECI, SA and SYNOP reports of filed bulletins or a raw feed capture, decoded
    and gathered per station and hour, as a DataFrame like read_surface's. reference (anything
    pandas.Timestamp takes) dates the reports' days; default now."""
    return _frame(_kol.read_bulletins(os.fspath(path), _ref(reference)), SURFACE_UNITS)


def decode_metar(text):
    """One METAR or SPECI report as a one-row DataFrame; KolError when it does not decode."""
    return _frame(_kol.decode_metar(text), SURFACE_UNITS)


def decode_synop(text):
    """One SYNOP report as a one-row DataFrame; KolError when it does not decode."""
    return _frame(_kol.decode_synop(text), SURFACE_UNITS)


class Sounding:
    """One sounding: station, time, lat, lon, elev, levels (a DataFrame of pres, hght, temp,
    dewp, wdir, wspd and the level-type bits, bottom up) and indices (a dict of the stability
    indices by name, NaN where they cannot be computed)."""

    def __init__(self, d):
        self.station = d["station"]
        self.wmo = d.get("wmo", "")
        self.time = _seconds(d["seconds"])
        self.lat = d.get("lat", np.nan)
        self.lon = d.get("lon", np.nan)
        self.elev = d.get("elev", np.nan)
        levels = dict(d["levels"])
        levels["seconds"] = []
        self.levels = _frame(levels, SOUNDING_UNITS)
        self.indices = {k: (np.nan if v == MISSING else v) for k, v in d["indices"].items()}

    def __repr__(self):
        return f"<kol.Sounding {self.station} {self.time} {len(self.levels)} levels>"


def read_soundings(path, reference=None):
    """The soundings of an own upper-air file or of TEMP and PILOT bulletins, as a dict from
    station to a list of Sounding (one per time)."""
    out = {}
    for d in _kol.read_soundings(os.fspath(path), _ref(reference)):
        out.setdefault(d["station"], []).append(Sounding(d))
    return out


def decode_temp(text):
    """One TEMP or PILOT part decoded into a Sounding; KolError when it does not decode."""
    return Sounding(_kol.decode_temp(text))
