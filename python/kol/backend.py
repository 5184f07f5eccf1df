"""The xarray backend: xr.open_dataset(path, engine="kol")."""
import os

from xarray.backends import BackendEntrypoint


class KolBackendEntrypoint(BackendEntrypoint):
    """Opens GRIB (editions 1 and 2) and native grid files with libkol."""

    description = "GRIB and native grid files decoded by libkol"
    open_dataset_parameters = ("filename_or_obj", "drop_variables", "type_of_level")

    def open_dataset(self, filename_or_obj, *, drop_variables=None, type_of_level=None):
        """The Dataset kol.open_dataset gives, less the dropped variables."""
        from .dataset import open_dataset
        ds = open_dataset(os.fspath(filename_or_obj), type_of_level=type_of_level)
        return ds.drop_vars(drop_variables or [], errors="ignore")

    def guess_can_open(self, filename_or_obj):
        """True for names ending as GRIB files usually do."""
        try:
            name = os.fspath(filename_or_obj)
        except TypeError:
            return False
        return os.path.splitext(name)[1].lower() in (".grib", ".grb", ".grib1", ".grib2", ".grb2")
