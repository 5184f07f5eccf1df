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


def run_program(name, *args):
    """Standard output of one of the library's programs (the build tree's, beside the module);
    the test is skipped when the program was not built."""
    import subprocess

    from kol.plot import programs_dir
    d = programs_dir()
    if d is None or not (d / name).is_file():
        pytest.skip(f"{name} not built")
    done = subprocess.run([str(d / name)] + [str(a) for a in args], capture_output=True,
                          text=True)
    assert done.returncode == 0, done.stderr
    return done.stdout


def expected(path):
    """What the independent decoder read from a shared data file (its .expected.json)."""
    import json
    return json.loads(pathlib.Path(str(path) + ".expected.json").read_text())
