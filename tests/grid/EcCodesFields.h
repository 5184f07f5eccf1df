// The fields of a GRIB file as ecCodes decodes them (tests/grid/eccodes_points.py, through
// python3-eccodes): the oracle of the decoder tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace KOLTest {

struct EcCodesField {
  std::vector<double> values;    // -9999 where missing
  std::vector<double> lat, lon;  // empty unless asked for
};

// Every field of the file; false when ecCodes cannot decode one of them or cannot be run.
inline bool ecCodesFields(const std::string& path, bool coords, std::vector<EcCodesField>& out)
{
  out.clear();
  const std::string command = "/usr/bin/python3 " KOL_SOURCE_DIR "/tests/grid/eccodes_points.py " +
                              std::string(coords ? "" : "--values ") + "'" + path + "' 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  auto readArray = [p](std::vector<double>& v, size_t n) {
    v.resize(n);
    return std::fread(v.data(), sizeof(double), n, p) == n;
  };
  bool whole = true;
  for (int64_t n = 0; std::fread(&n, sizeof n, 1, p) == 1;) {
    EcCodesField f;
    whole = n >= 0 && readArray(f.values, size_t(n)) &&
            (!coords || (readArray(f.lat, size_t(n)) && readArray(f.lon, size_t(n))));
    if (!whole) break;
    out.push_back(std::move(f));
  }
  return pclose(p) == 0 && whole && !out.empty();
}

}  // namespace KOLTest
