"""Many files lazily through Dask: one task per file, results equal to a serial loop.

Everything that crosses to a worker pickles (paths, Field, numpy arrays); workers importing kol
find the database directory on their own (KOL_DATABASE, else the one installed with the library).
"""
import os

import numpy as np
import xarray as xr


def _decode(path, type_of_level):
    """The variables of one file as plain arrays (this runs on a worker)."""
    from .dataset import open_dataset
    ds = open_dataset(os.fspath(path), type_of_level=type_of_level)
    return {name: np.asarray(v.values) for name, v in ds.data_vars.items()}


def _take(arrays, name, shape):
    from . import KolError
    a = arrays.get(name)
    if a is None or a.shape != shape:
        raise KolError(f"{name}: the file does not hold what the first file holds")
    return a


def open_lazy(paths, type_of_level=None):
    """An xarray Dataset over one file or a list of files whose variables are dask arrays with
    one task per file, stacked along the dimension "file". The first file is read at once for
    the layout; every other file must hold the same variables on the same lattice."""
    import dask
    import dask.array as da
    from .dataset import open_dataset
    paths = [paths] if isinstance(paths, (str, os.PathLike)) else list(paths)
    template = open_dataset(os.fspath(paths[0]), type_of_level=type_of_level)
    decoded = [dask.delayed(_decode, pure=True)(os.fspath(p), type_of_level) for p in paths]
    data_vars = {}
    for name, var in template.data_vars.items():
        parts = [da.from_delayed(dask.delayed(_take, pure=True)(d, name, var.shape),
                                 var.shape, dtype=var.dtype) for d in decoded]
        data_vars[name] = (("file",) + var.dims, da.stack(parts), var.attrs)
    coords = {k: v for k, v in template.coords.items()}
    coords["file"] = ("file", [os.fspath(p) for p in paths])
    return xr.Dataset(data_vars, coords, template.attrs)


def decode_all(paths, client=None, reader=None):
    """Reads every file, one task per file, on the Dask client given (or the default scheduler),
    with reader (kol.open_grib by default, or kol.open_nids, kol.open_gini...): what the reader
    gives for each file, in the order of paths."""
    import dask
    if reader is None:
        from .grib import open_grib as reader
    tasks = [dask.delayed(reader, pure=True)(os.fspath(p)) for p in paths]
    if client is not None:
        return client.gather(client.compute(tasks))
    return list(dask.compute(*tasks))
