"""Shared fixtures of the Python module tests: the shared test data and the sanitizer check."""
import os
import pathlib

import pytest

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


def data_dir():
    """The shared test data (KOL_TEST_DATA, else ../shared/data beside the source tree)."""
    return pathlib.Path(os.environ.get("KOL_TEST_DATA") or os.environ.get("KOL_TEST_DATA_DEFAULT")
                        or SOURCE_DIR.parent / "shared" / "data")


@pytest.fixture(scope="session")
def data():
    """The shared data directory; the test is skipped when it is absent."""
    d = data_dir()
    if not d.is_dir():
        pytest.skip(f"test data not found at {d} (set KOL_TEST_DATA to the shared data directory)")
    return d


def grib_files():
    """Names of the shared GRIB files (not the notes, expected outputs or benchmark folder)."""
    d = data_dir() / "grib"
    if not d.is_dir():
        return []
    return sorted(p.name for p in d.iterdir()
                  if p.is_file() and p.name != "SOURCES.md" and p.suffix not in (".json", ".idx"))
