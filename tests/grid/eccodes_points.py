#!/usr/bin/python3
"""Every field of a GRIB file as ecCodes decodes it: per field the point count (int64), the values
(float64, -9999 missing) and, without --values, latitudes and longitudes; exit 1 when ecCodes
cannot decode a field. Binary doubles: a grib_get_data listing is several times slower."""
import sys

import eccodes
import numpy as np


def points(h):
    """Values in the point iterator's order (alternate rows forwards), -9999 where missing
    (setting the missing value key instead changes how complex packing decodes)."""
    values = eccodes.codes_get_values(h)
    if eccodes.codes_get_long(h, "missingValuesPresent"):
        values[values == eccodes.codes_get_double(h, "missingValue")] = -9999
    if eccodes.codes_get_long(h, "alternativeRowScanning"):
        consecutive = eccodes.codes_get_long(h, "jPointsAreConsecutive")
        row = eccodes.codes_get_long(h, "Nj" if consecutive else "Ni")
        rows = values.reshape(-1, row)
        rows[1::2] = rows[1::2, ::-1].copy()
        values = rows.reshape(-1)
    return values


def main(args):
    coords = args[0] != "--values"
    path = args[-1]
    out = sys.stdout.buffer
    eccodes.codes_grib_multi_support_on()
    with open(path, "rb") as f:
        while True:
            h = eccodes.codes_grib_new_from_file(f)
            if h is None:
                return 0
            try:
                parts = [points(h)]
                if coords:
                    parts += [eccodes.codes_get_array(h, k) for k in ("latitudes", "longitudes")]
            except eccodes.CodesInternalError as e:
                print(path, e, file=sys.stderr)
                return 1
            finally:
                eccodes.codes_release(h)
            out.write(np.int64(len(parts[0])).tobytes())
            for p in parts:
                out.write(np.asarray(p, dtype="<f8").tobytes())


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
