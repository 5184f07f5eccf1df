"""Radar products and satellite images as xarray Datasets with their coordinates.

NIDS (Level III) products and GINI images hand over the library's decoded arrays without a copy;
a full-resolution (Level II) sweep's values are computed from its codes. NaN marks no value.
"""
import os

import numpy as np
import xarray as xr

from . import _kol

_EPOCH = np.datetime64("1970-01-01T00:00:00", "ns")
_LAT = {"units": "degrees_north", "standard_name": "latitude"}
_LON = {"units": "degrees_east", "standard_name": "longitude"}


def _time(seconds):
    return None if seconds is None else _EPOCH + np.timedelta64(int(seconds), "s")


def _scalar_time(coords, seconds):
    t = _time(seconds)
    if t is not None:
        coords["time"] = ((), t)


def _radial_coords(ny, nx, resolution_km):
    """Centres of radials (degrees, radial j from j * 360 / ny on) and bins (metres)."""
    azimuth = (np.arange(ny) + 0.5) * (360.0 / ny)
    rng = (np.arange(nx) + 0.5) * resolution_km * 1000.0
    return ({"azimuth": ("azimuth", azimuth, {"units": "degree", "long_name": "azimuth"}),
             "range": ("range", rng, {"units": "m", "long_name": "range of the bin centre"})},
            ("azimuth", "range"))


# The library's map plane is in units of 100 km.
_PLANE_METRES = 1.0e5


def _plane_coords(obj):
    x, y = (a * _PLANE_METRES for a in obj.plane_axes())
    return ({"x": ("x", x, {"units": "m", "long_name": "projection plane x"}),
             "y": ("y", y, {"units": "m", "long_name": "projection plane y"})}, ("y", "x"))


def open_nids(path):
    """A NIDS (Level III) radar product as an xarray Dataset.

    value: the physical values (float32, NaN where the product has none), sharing the decoded
    product's memory; level: the product's data level codes (uint8). Polar products have the
    dimensions (azimuth, range) with the centre of each radial (degrees) and bin (metres); raster
    products (y, x) with projection plane coordinates. latitude and longitude (2-D) place every
    bin or cell centre. attrs describe the product (code, label, radar position, elevation...).
    Raises KolError with the library's message when the file is not a product it decodes.
    """
    p = _kol.Nids(os.fspath(path))
    attrs = p.attrs
    values, levels = p.values, p.levels
    if p.radial:
        coords, dims = _radial_coords(values.shape[0], values.shape[1], attrs["resolution"])
    else:
        coords, dims = _plane_coords(p)
    lat, lon = p.latlon()
    coords["latitude"] = (dims, lat, _LAT)
    coords["longitude"] = (dims, lon, _LON)
    _scalar_time(coords, attrs.pop("seconds"))
    attrs["generated"] = str(_time(attrs.pop("generated_seconds")))
    attrs = {k: ("" if v is None else v) for k, v in attrs.items()}
    data = {"value": (dims, values, {"long_name": attrs["label"]}),
            "level": (dims, levels, {"long_name": "data level code"})}
    return xr.Dataset(data, coords, attrs)


def open_gini(path):
    """A GINI satellite image as an xarray Dataset.

    pixel: the 8-bit pixels (row 0 at the top), sharing the decoded image's memory; value: their
    physical values through the image's value table (brightness temperature, reflectivity...),
    NaN where the table has none, or the pixels themselves without a table. Dimensions (y, x)
    with projection plane coordinates; latitude and longitude (2-D) of every pixel.
    """
    g = _kol.Gini(os.fspath(path))
    pixels = g.pixels
    coords, dims = _plane_coords(g)
    lat, lon = g.latlon()
    coords["latitude"] = (dims, lat, _LAT)
    coords["longitude"] = (dims, lon, _LON)
    _scalar_time(coords, g.seconds)
    values = g.table()[pixels]
    data = {"pixel": (dims, pixels, {"long_name": "pixel value"}),
            "value": (dims, values, {"long_name": g.info})}
    return xr.Dataset(data, coords, {"info": g.info, "proj": g.proj})


class Volume:
    """A full-resolution (Level II) radar volume, read at once; sweep() takes one moment of
    one cut out of it. cuts lists (cut, mean elevation, moment names)."""

    def __init__(self, path):
        self._v = _kol.Volume(os.fspath(path))
        self.icao, self.vcp, self.time = self._v.icao, self._v.vcp, _time(self._v.seconds)
        self.cuts = self._v.cuts()

    def sweep(self, cut, moment):
        """Cut number cut (from 1) of moment ("REF", "VEL", "SW", "ZDR", "PHI", "RHO", "CFP")
        as an xarray DataArray of radials by gates (float32, NaN where no value) with the
        azimuth, elevation and time of each radial, the range of each gate (metres) and the
        latitude and longitude of every gate. KeyError when the volume lacks it."""
        s = self._v.sweep(int(cut), moment)
        a = s.axes()
        attrs = s.attrs
        dims = ("azimuth", "range")
        lat, lon = s.latlon()
        coords = {
            "azimuth": ("azimuth", a["azimuth"], {"units": "degree"}),
            "range": ("range", a["range"], {"units": "m", "long_name": "range of the gate centre"}),
            "elevation": ("azimuth", a["elevation"], {"units": "degree"}),
            "radial_time": ("azimuth", _EPOCH + (a["time"] * 1e9).astype("m8[ns]")),
            "latitude": (dims, lat, _LAT),
            "longitude": (dims, lon, _LON),
        }
        _scalar_time(coords, attrs.pop("seconds"))
        attrs = {k: ("" if v is None else v) for k, v in attrs.items()}
        return xr.DataArray(s.values(), coords, dims, name=attrs["moment"], attrs=attrs)

    def __repr__(self):
        return f"<kol.Volume {self.icao} {self.time} {len(self.cuts)} cuts>"


def open_level2(path, cut=1, moment="REF"):
    """One sweep of a full-resolution radar volume (a file, gzip- or bzip2-wrapped or not, or a
    folder of its chunks) as Volume(path).sweep(cut, moment) gives it."""
    return Volume(path).sweep(cut, moment)
