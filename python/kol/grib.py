"""Fields of GRIB and native grid files."""
import os

import numpy as np

from . import _kol

_EPOCH = np.datetime64("1970-01-01T00:00:00", "ns")

# Coordinates of the lattices met last, by lattice: the fields of a file, and the files of a
# series, mostly share one, and its 2-D coordinates cost more than decoding a field.
_LATTICES = {}
_LATTICES_KEPT = 8


def lattice_coords(grid):
    """Latitude and longitude (2-D, read-only) of a decoded grid's points, shared by every grid
    on the same lattice."""
    key = grid.lattice_key
    found = _LATTICES.pop(key, None)
    if found is None:
        if grid.proj == 2:
            # Latitude-longitude lattices: one latitude per row, one longitude per column.
            lat, lon = grid.latlon_axes()
            shape = (grid.ny, grid.nx)
            found = (np.broadcast_to(lat[:, None], shape), np.broadcast_to(lon[None, :], shape))
        else:
            found = grid.latlon()
            for a in found:
                a.flags.writeable = False
        while len(_LATTICES) >= _LATTICES_KEPT:
            _LATTICES.pop(next(iter(_LATTICES)))
    _LATTICES[key] = found
    return found


def _time(seconds):
    return None if seconds is None else _EPOCH + np.timedelta64(seconds, "s")


class Field:
    """One grid of a file.

    values: 2-D float32 numpy array (row 0 at the northern edge), NaN where missing; it shares
    the decoded grid's memory. lat and lon: 2-D float64 degrees, computed on first use. name,
    long_name, units, level, level_type (a GRIB edition 2 table 4.5 code), level_text, time
    (reference), step (numpy timedelta64) and valid_time describe the field.
    """

    __slots__ = ("_grid", "values", "_lat", "_lon", "name", "long_name", "units", "level",
                 "level_top", "level_type", "level_text", "time", "step", "valid_time",
                 "model", "kind", "proj", "info")

    def __init__(self, grid):
        self._grid = grid
        self.values = grid.values
        self._lat = self._lon = None
        self.name, self.long_name, self.units = grid.name, grid.long_name, grid.units
        self.level, self.level_top = grid.level, grid.level_top
        self.level_type, self.level_text = grid.level_type, grid.level_text
        self.valid_time = _time(grid.valid_seconds)
        self.time = _time(grid.init_seconds)
        step = grid.step_seconds
        self.step = np.timedelta64(step if step is not None else 0, "s").astype("m8[ns]")
        self.model, self.kind, self.proj, self.info = grid.model, grid.kind, grid.proj, grid.info

    def _coords(self):
        if self._lat is None:
            self._lat, self._lon = lattice_coords(self._grid)
        return self._lat, self._lon

    @property
    def lat(self):
        """Latitude of every point (degrees north), 2-D like values."""
        return self._coords()[0]

    @property
    def lon(self):
        """Longitude of every point (degrees east, -180 to 180), 2-D like values."""
        return self._coords()[1]

    @property
    def shape(self):
        """(ny, nx)."""
        return self.values.shape

    def __getstate__(self):
        # The arrays travel as copies; the decoded grid itself stays behind.
        state = {k: getattr(self, k) for k in self.__slots__ if k not in ("_grid", "_lat", "_lon")}
        state["_lat"], state["_lon"] = (np.ascontiguousarray(a) for a in self._coords())
        return state

    def __setstate__(self, state):
        self._grid = None
        for k, v in state.items():
            setattr(self, k, v)

    def __repr__(self):
        return (f"<kol.Field {self.name} {self.level_text or self.level_type} "
                f"{self.valid_time} {self.shape[1]}x{self.shape[0]} [{self.units}]>")


def open_grib(path):
    """Reads every field of a GRIB (edition 1 or 2) or native grid file.

    Returns a list of Field. Raises KolError with the library's message when the file cannot be
    opened or holds no decodable field; fields the library cannot decode are skipped with a
    KolWarning.
    """
    return list(iter_grib(path))


def iter_grib(path):
    """Yields the fields of a GRIB or native grid file one at a time (see open_grib)."""
    for grid in _kol.GridReader(os.fspath(path)):
        yield Field(grid)
