"""Pictures drawn by the library's charting programs, with the same keys and variable lists.

kol.plot runs the program of the chart kind in a separate process (a file that upsets the
drawing takes that process down, never the interpreter) and hands back a Picture, which shows
itself in Jupyter and saves as PNG or PostScript.
"""
import os
import pathlib
import shutil
import subprocess
import tempfile

from . import _kol
from ._kol import KolError

# Chart kinds and the program that draws each.
PROGRAMS = {
    "grid": "kolgridplot", "surface": "kolsfcplot", "upperair": "kolupaplot",
    "radar": "kolrad", "satellite": "kolsat", "sounding": "kolskewt",
}


def programs_dir():
    """Where the programs are: KOL_PROGRAMS, else beside the package as built or installed."""
    if os.environ.get("KOL_PROGRAMS"):
        return pathlib.Path(os.environ["KOL_PROGRAMS"])
    try:
        from ._where import PROGRAMS as where
    except ImportError:
        return None
    return (pathlib.Path(__file__).resolve().parent / where).resolve()


def _program(name):
    d = programs_dir()
    if d is not None and (d / name).is_file():
        return str(d / name)
    found = shutil.which(name)
    if not found:
        raise KolError(f"{name} not found (set KOL_PROGRAMS to the folder of the programs)")
    return found


def guess_kind(path):
    """The chart kind of a file from its content: a grid file, an own upper-air file, a NIDS
    product or a radar volume, a GINI image, else surface observations."""
    if os.path.isdir(path):
        return "radar"
    with open(path, "rb") as f:
        head = f.read(4096)
    if b"GRIB" in head[:200] or head.startswith(b"KOLGRID"):
        return "grid"
    if head.startswith(b"KOLUPA"):
        return "upperair"
    if head.startswith(b"AR2V") or head[:2] == b"\x1f\x8b":
        return "radar"
    for kind, reader in (("radar", _kol.Nids), ("satellite", _kol.Gini)):
        try:
            reader(os.fspath(path))
            return kind
        except KolError:
            pass
    return "surface"


def _arguments(keys):
    """Program options from keyword arguments: va="temp" is -va=temp, flag=True is -flag."""
    out = []
    for k, v in keys.items():
        if v is True:
            out.append(f"-{k}")
        elif v is not None and v is not False:
            out.append(f"-{k}={v}")
    return out


class Picture:
    """A chart: png holds its PNG bytes; save(path) writes PNG, or draws it again as
    PostScript (.ps, .eps) through the same program and keys."""

    def __init__(self, command, png):
        self.command = command
        self.png = png

    def _repr_png_(self):
        return self.png

    def save(self, path):
        """Writes the picture to path: .png as it is, .ps and .eps drawn as PostScript."""
        path = os.fspath(path)
        if path.lower().endswith(".png"):
            with open(path, "wb") as f:
                f.write(self.png)
        else:
            _run(self.command, path)
        return path

    @property
    def size(self):
        """(width, height) in pixels, from the PNG header."""
        return (int.from_bytes(self.png[16:20], "big"), int.from_bytes(self.png[20:24], "big"))

    def __repr__(self):
        return f"<kol.Picture {' '.join(self.command[1:])} {self.size[0]}x{self.size[1]}>"


def _run(command, out):
    # The programs read the database directory the module reads (their -fp, kolfpath).
    done = subprocess.run(command[:1] + [f"-ou={out}"] + command[1:], capture_output=True,
                          text=True, env={**os.environ, "kolfpath": _kol.database()})
    lines = [l for l in done.stderr.splitlines() if l.strip()]
    if done.returncode != 0 or not os.path.exists(out):
        raise KolError(lines[-1] if lines else f"{command[0]} failed ({done.returncode})")


def plot(*paths, kind=None, **keys):
    """Draws files as the charting programs do and returns a Picture.

    paths: the input files (or selectors such as "la"); kind: "grid", "surface", "upperair",
    "radar", "satellite" or "sounding", guessed from the first file's content when not given.
    Every other keyword is a program option with its value, as on the command line:
    kol.plot("sfc.dat", va="slptemp", pd="conus") is kolsfcplot -va=slptemp -pd=conus sfc.dat;
    kol.plot("gfs.grib2", va="500:hght[dam]"), kol.plot("N0Q_file") likewise. Raises KolError
    with the program's last message when it draws nothing.
    """
    paths = [os.fspath(p) for p in paths]
    if kind is None:
        if not paths:
            raise ValueError("kind is needed when no file is given")
        kind = guess_kind(paths[0])
    if kind not in PROGRAMS:
        raise ValueError(f"kind must be one of {', '.join(PROGRAMS)}")
    command = [_program(PROGRAMS[kind])] + _arguments(keys) + paths
    with tempfile.TemporaryDirectory(prefix="kolplot") as tmp:
        out = os.path.join(tmp, "picture.png")
        _run(command, out)
        with open(out, "rb") as f:
            return Picture(command, f.read())
