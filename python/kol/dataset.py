"""GRIB and native grid files as xarray Datasets, grouped by level type, with CF attributes."""
import os

import numpy as np
import xarray as xr

from .grib import open_grib

# Level types (GRIB edition 2 table 4.5 codes) by the names xarray users know from cfgrib.
LEVEL_NAMES = {
    1: "surface", 2: "cloudBase", 3: "cloudTop", 4: "isothermZero", 5: "adiabaticCondensation",
    6: "maxWind", 7: "tropopause", 8: "nominalTop", 10: "entireAtmosphere", 20: "isothermal",
    100: "isobaricInhPa", 101: "meanSea", 102: "heightAboveSea", 103: "heightAboveGround",
    104: "sigma", 105: "hybrid", 106: "depthBelowLand", 107: "theta",
    108: "pressureFromGround", 109: "potentialVorticity", 111: "eta", 200: "atmosphere",
}
LEVEL_UNITS = {100: "hPa", 102: "m", 103: "m", 106: "cm", 107: "K", 108: "hPa"}


def level_name(code):
    """The cfgrib-style name of a level type code (table 4.5), or "level<code>"."""
    return LEVEL_NAMES.get(code, f"level{code}")


def _grid_key(f):
    return (f.proj, f.shape)


def _spatial(f, suffix):
    """Dimensions and coordinates of a field's lattice, as cfgrib names them."""
    regular = f.proj == 2
    lat, lon = (f.lat[:, 0], f.lon[0]) if regular else (f.lat, f.lon)
    la_attrs = {"units": "degrees_north", "standard_name": "latitude", "long_name": "latitude"}
    lo_attrs = {"units": "degrees_east", "standard_name": "longitude", "long_name": "longitude"}
    if regular:
        dims = ("latitude" + suffix, "longitude" + suffix)
        # Longitudes run on from the first one, as the file gives them.
        lon = lon[0] + np.unwrap(lon - lon[0], period=360)
        coords = {dims[0]: (dims[0], lat, la_attrs), dims[1]: (dims[1], lon, lo_attrs)}
    else:
        dims = ("y" + suffix, "x" + suffix)
        coords = {"latitude" + suffix: (dims, lat, la_attrs),
                  "longitude" + suffix: (dims, lon, lo_attrs)}
    return dims, coords


def _stack(arrays):
    # One field is handed over as it is (no copy); several become one array.
    return arrays[0] if len(arrays) == 1 else np.stack(arrays)


def _dim(coords, base, values):
    """The name of a dimension with these values: base, or base_1, base_2... when base is
    already taken by other values."""
    n = 0
    while True:
        name = base if n == 0 else f"{base}_{n}"
        have = coords.get(name)
        if have is None or (len(have[1]) == len(values) and all(
                a == b for a, b in zip(have[1], values))):
            return name
        n += 1


def _variable(fields, level_dim, spatial_dims):
    """One data variable from its fields: dims (time, step, level, number, y, x), squeezed."""
    axes = {"time": sorted({f.time for f in fields}, key=str),
            "step": sorted({f.step for f in fields}),
            level_dim: sorted({f.level for f in fields}, key=lambda v: (v is None, v or 0))}
    seen = {}
    keyed = []
    for f in fields:
        key = (f.time, f.step, f.level)
        number = seen.get(key, 0)
        seen[key] = number + 1
        keyed.append((key, number, f))
    members = max(seen.values())
    axes["number"] = list(range(members))
    full = [d for d in ("time", "step", level_dim, "number") if len(axes[d]) > 1]
    shape = [len(axes[d]) for d in full]
    ny, nx = fields[0].shape
    if int(np.prod(shape, dtype=int)) != len(fields):
        # Not a full hypercube: the fields stay a plain list along "message".
        full, shape = ["message"], [len(fields)]
        arrays = [f.values for f in fields]
    else:
        arrays = [None] * len(fields)
        index = {d: {v: i for i, v in enumerate(axes[d])} for d in full}
        for key, number, f in keyed:
            parts = dict(zip(("time", "step", level_dim), key), number=number)
            flat = 0
            for d, n in zip(full, shape):
                flat = flat * n + index[d][parts[d]]
            arrays[flat] = f.values
    data = _stack(arrays).reshape(shape + [ny, nx])
    return tuple(full) + spatial_dims, data, axes


def _cf_attrs(f, type_name):
    return {"units": f.units, "long_name": f.long_name or f.name, "GRIB_name": f.name,
            "GRIB_typeOfLevel": type_name, "GRIB_level_text": f.level_text}


def _group_dataset(fields, suffix=""):
    """The Dataset of fields of one level type on one lattice."""
    first = fields[0]
    type_name = level_name(first.level_type)
    spatial_dims, coords = _spatial(first, suffix)
    by_name = {}
    for f in fields:
        by_name.setdefault(f.name or "unknown", []).append(f)
    data_vars = {}
    scalars = {}
    for name, group in by_name.items():
        dims, data, axes = _variable(group, type_name, spatial_dims)
        renamed = []
        for d in dims:
            if d in ("time", "step", type_name):
                values = axes[d]
                d2 = _dim(coords, d, values)
                coords[d2] = (d2, np.array(values))
                renamed.append(d2)
            else:
                renamed.append(d)
        for d in ("time", "step", type_name):
            if d not in dims and axes[d][0] is not None:
                scalars.setdefault(d, axes[d][0])
        data_vars[name] = xr.Variable(tuple(renamed), data, _cf_attrs(group[0], type_name))
    for d, v in scalars.items():
        coords.setdefault(d, ((), v))
    attrs = {"long_name": type_name, "positive": "down" if first.level_type == 100 else "up"}
    if first.level_type in LEVEL_UNITS:
        attrs["units"] = LEVEL_UNITS[first.level_type]
    for name in list(coords):
        if name == type_name or name.startswith(type_name + "_"):
            coords[name] = coords[name][:2] + (attrs,)
    ds = xr.Dataset(data_vars, coords)
    if "time" in ds.coords and "step" in ds.coords:
        ds = ds.assign_coords(valid_time=ds["time"] + ds["step"])
    ds.attrs.update({"Conventions": "CF-1.7", "institution": first.model or "",
                     "history": "decoded by libkol", "GRIB_typeOfLevel": type_name})
    return ds


def _groups(fields):
    """Fields by (level type, lattice), in order of first appearance."""
    groups = {}
    for f in fields:
        groups.setdefault((f.level_type, _grid_key(f)), []).append(f)
    return list(groups.values())


def datasets_from_fields(fields):
    """One Dataset per level type and lattice."""
    lattices = []
    out = []
    for group in _groups(fields):
        key = _grid_key(group[0])
        if key not in lattices:
            lattices.append(key)
        n = lattices.index(key)
        out.append(_group_dataset(group, f"_{n}" if n else ""))
    return out


def open_datasets(path):
    """Reads a GRIB or native grid file into a list of xarray Datasets, one per level type
    (and per lattice when a file holds several), as cfgrib.open_datasets does."""
    return datasets_from_fields(open_grib(path))


def merge_groups(groups):
    """Joins per-level-type Datasets into one; a variable name found under several level
    types is suffixed with the level type's name."""
    names = {}
    for ds in groups:
        for v in ds.data_vars:
            names[v] = names.get(v, 0) + 1
    renamed = []
    for ds in groups:
        t = ds.attrs["GRIB_typeOfLevel"]
        ds = ds.rename({v: f"{v}_{t}" for v in ds.data_vars if names[v] > 1})
        # Scalar coordinates that differ between groups stay with their variables.
        scalar = [c for c in ds.coords if ds[c].ndim == 0]
        renamed.append(ds.reset_coords(scalar, drop=len(groups) > 1))
    merged = xr.merge(renamed, compat="override", combine_attrs="drop_conflicts")
    return merged


def open_dataset(path, chunks=None, type_of_level=None):
    """Reads a GRIB or native grid file (or, with chunks, a list of files lazily through Dask)
    into an xarray Dataset.

    Variables are grouped by level type: each level type has its own level coordinate
    (isobaricInhPa, heightAboveGround, ...) as in cfgrib; a name found under several level types
    is suffixed with the type. type_of_level selects one level type by that name. latitude and
    longitude are 1-D coordinates on regular latitude-longitude grids, 2-D ones otherwise. A single
    field's values are the decoded grid's memory. With chunks (any value, as in xarray), the
    file or list of files becomes dask arrays with one task per file; see kol.parallel.
    """
    if chunks is not None or not isinstance(path, (str, os.PathLike)):
        from .parallel import open_lazy
        return open_lazy(path, type_of_level=type_of_level)
    groups = open_datasets(path)
    if type_of_level is not None:
        groups = [g for g in groups if g.attrs["GRIB_typeOfLevel"] == type_of_level]
        if not groups:
            raise ValueError(f"no field of level type {type_of_level} in {path}")
    return groups[0] if len(groups) == 1 else merge_groups(groups)
