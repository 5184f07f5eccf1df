"""libkol for Python: GRIB and native grids as numpy and xarray, observations as pandas,
radar and satellite products as numpy arrays, pictures, and Dask over many files.

The database directory (tables, naming conventions, maps) is the one installed with the
library unless the environment variable KOL_DATABASE names another; Dask workers importing
the package find it the same way.
"""
import os

from . import _kol
from ._kol import KolError, KolWarning

if os.environ.get("KOL_DATABASE"):
    _kol.set_database(os.environ["KOL_DATABASE"])

from .grib import Field, open_grib  # noqa: E402
from .dataset import open_dataset, open_datasets  # noqa: E402
from .backend import KolBackendEntrypoint  # noqa: E402
from .imagery import Volume, open_gini, open_level2, open_nids  # noqa: E402
from .plot import Picture, plot  # noqa: E402
from . import obs, parallel  # noqa: E402


def database():
    """The database directory the library reads its tables from."""
    return _kol.database()


def set_database(path):
    """Makes the library read its tables from the directory path."""
    _kol.set_database(os.fspath(path))


def set_threads(n):
    """Threads the library may decode one field on (0: every core, the default). Worker
    processes of a cluster are the parallelism themselves: give each 1 (client.run)."""
    _kol.set_threads(int(n))


__version__ = _kol.version()
__all__ = ["Field", "KolError", "KolWarning", "KolBackendEntrypoint", "Picture", "Volume",
           "database", "open_dataset", "open_datasets", "open_gini", "open_grib", "open_level2",
           "open_nids", "plot", "set_database", "set_threads"]
