// Every GRIB file of the shared test data decoded here and by ecCodes: the inventory must
// agree with grib_ls and every point with ecCodes' values and coordinates, within half the
// packing precision, with missing points in the same places and coordinates within 1e-4 degrees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "EcCodesFields.h"
#include "GribDataFiles.h"
#include "common/TestData.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"

using KOL::grib::Field;

namespace {

std::vector<uint8_t> readBytes(const std::string& path)
{
  std::string s = KOLTest::readFile(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

// One line of grib_ls per message: the keys below, "not_found" where a key does not apply.
const char* kKeys =
    "edition,Ni,Nj,numberOfDataPoints,table2Version,indicatorOfParameter,indicatorOfTypeOfLevel:i,"
    "level,discipline,parameterCategory,parameterNumber,typeOfFirstFixedSurface:i,"
    "scaleFactorOfFirstFixedSurface,scaledValueOfFirstFixedSurface";

std::vector<std::vector<std::string>> gribLs(const std::string& path)
{
  std::string out =
      KOLTest::run(std::string("grib_ls -p ") + kKeys + " '" + path + "' 2>/dev/null");
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(out);
  std::string line;
  int seenHeader = 0;
  while (std::getline(in, line)) {
    if (line.rfind("edition", 0) == 0) {
      seenHeader = 1;
      continue;
    }
    if (!seenHeader || line.empty() || line.find(" of ") != std::string::npos) continue;
    std::istringstream words(line);
    std::vector<std::string> row;
    for (std::string w; words >> w;) row.push_back(w);
    if (row.size() == 14) rows.push_back(row);
  }
  return rows;
}

long num(const std::string& s) { return std::strtol(s.c_str(), nullptr, 10); }

void checkInventory(const Field& f, const std::vector<std::string>& r, int k)
{
  SCOPED_TRACE("field " + std::to_string(k));
  EXPECT_EQ(f.edition, num(r[0]));
  if (r[1] != "not_found" && r[1] != "MISSING") {
    EXPECT_EQ(f.grid.nx, num(r[1]));
  }
  if (r[2] != "not_found") {
    EXPECT_EQ(f.grid.ny, num(r[2]));
  }
  if (r[3] != "not_found") {
    EXPECT_EQ(long(f.grid.points()), num(r[3]));
  }
  if (f.edition == 1) {
    EXPECT_EQ(f.tableVersion, num(r[4]));
    EXPECT_EQ(f.parameter, num(r[5]));
    EXPECT_EQ(f.levelType1, num(r[6]));
    if (f.levelType1 == 100 || f.levelType1 == 105 || f.levelType1 == 1 || f.levelType1 == 109) {
      EXPECT_EQ(long(f.level1) * 256 + long(f.level2), num(r[7]));
    }
  } else {
    EXPECT_EQ(f.discipline, num(r[8]));
    EXPECT_EQ(f.category, num(r[9]));
    EXPECT_EQ(f.parameter, num(r[10]));
    EXPECT_EQ(f.levelType1, num(r[11]));
    if (r[13] != "MISSING" && r[12] != "MISSING") {
      // grib_ls shows the scaled value unsigned; its top bit is a sign.
      long raw = num(r[13]);
      double value = (raw & 0x80000000L) ? -(raw & 0x7FFFFFFFL) : raw;
      EXPECT_NEAR(f.level1, value * std::pow(10.0, -num(r[12])), 1e-6 * (1 + std::fabs(f.level1)));
    }
  }
}

// Our points of one field against ecCodes': values within half the packing precision, missing
// points in the same places, coordinates within 1e-4 degrees (when ecCodes gave them). The count
// of points compared.
size_t comparePoints(const Field& f, const KOLTest::EcCodesField& o)
{
  EXPECT_EQ(o.values.size(), f.values.size()) << "point count";
  std::vector<double> lat, lon;
  const auto* kind = KOL::grib::findGridKind(f.grid.templ);
  if (!o.lat.empty() && kind) kind->coords(f.grid, lat, lon);
  size_t badValue = 0, badMissing = 0, badCoord = 0;
  std::string first;
  const size_t n = std::min(o.values.size(), f.values.size());
  for (size_t k = 0; k < n; k++) {
    const double ours = f.values[k], v = o.values[k];
    const bool oursMissing = ours == KOL::grib::MISSING, theirsMissing = v == -9999.0;
    const double tol = 0.5 * f.pack.precision() + std::fabs(v) * 2.4e-7;
    if (oursMissing != theirsMissing) {
      if (badMissing++ == 0) first += " missing@" + std::to_string(k);
    } else if (!oursMissing && std::fabs(ours - v) > tol && badValue++ == 0) {
      first +=
          " value@" + std::to_string(k) + " " + std::to_string(ours) + "!=" + std::to_string(v);
    }
    if (o.lat.empty()) continue;
    if (k >= lat.size()) {
      if (badCoord++ == 0) first += " nocoord@" + std::to_string(k);
      continue;
    }
    double dlon = std::fmod(std::fabs(lon[k] - o.lon[k]), 360.0);
    dlon = std::min(dlon, 360.0 - dlon);
    if ((std::fabs(lat[k] - o.lat[k]) > 1e-4 || dlon > 1e-4) && badCoord++ == 0)
      first += " coord@" + std::to_string(k) + " (" + std::to_string(lat[k]) + "," +
               std::to_string(lon[k]) + ")!=(" + std::to_string(o.lat[k]) + "," +
               std::to_string(o.lon[k]) + ")";
  }
  EXPECT_EQ(badValue + badMissing + badCoord, 0u)
      << badValue << " values, " << badMissing << " missing flags, " << badCoord
      << " coordinates differ;" << first;
  return n;
}

// The files to compare; one placeholder without data, so that the suite still has a test to skip.
std::vector<std::string> gribFilesOrNone()
{
  std::vector<std::string> names = KOLTest::gribDataFiles();
  if (names.empty()) names.push_back("none");
  return names;
}

// What comparing one file with ecCodes found.
struct Agreement {
  bool oracleDecodes = false;  // ecCodes read every field
  size_t fields = 0, unsupported = 0, points = 0;
};

// Every field of the file against grib_ls and ecCodes' values; failures are test failures.
Agreement agreeWithEcCodes(const std::string& path, bool coordsByProj)
{
  Agreement a;
  std::vector<uint8_t> bytes = readBytes(path);
  std::vector<Field> fields;
  KOL::grib::FieldWalker walk(bytes.data(), bytes.size());
  for (Field f; walk.next(f);) fields.push_back(std::move(f));
  a.fields = fields.size();
  for (const Field& f : fields) a.unsupported += f.values.empty() ? 1 : 0;
  std::vector<KOLTest::EcCodesField> theirs;
  a.oracleDecodes = KOLTest::ecCodesFields(path, !coordsByProj, theirs);
  if (!a.oracleDecodes || a.unsupported > 0) return a;
  auto rows = gribLs(path);
  EXPECT_EQ(rows.size(), fields.size()) << "field count differs from grib_ls";
  EXPECT_EQ(theirs.size(), fields.size()) << "field count differs from ecCodes'";
  if (rows.size() != fields.size() || theirs.size() != fields.size()) return a;
  for (size_t k = 0; k < fields.size(); k++) {
    checkInventory(fields[k], rows[k], int(k + 1));
    SCOPED_TRACE("field " + std::to_string(k + 1));
    a.points += comparePoints(fields[k], theirs[k]);
  }
  return a;
}

class GribOracle : public ::testing::TestWithParam<std::string> {};

TEST_P(GribOracle, FieldsAgreeWithEcCodes)
{
  KOL_REQUIRE_DATA();
  if (GetParam() == "none") GTEST_SKIP() << "no GRIB test data";
  const std::string path = KOLTest::dataDir() + "/grib/" + GetParam();
  // ecCodes 2.28 steps wrongly across edition 1 south polar stereographic grids; PROJ places
  // their points (GribGeometryTest), so only values are compared here.
  const bool coordsByProj = GetParam() == "g1_grid_172.landmask.grib1";
  const Agreement a = agreeWithEcCodes(path, coordsByProj);
  // Files ecCodes cannot list or decode are named, and what we decode is checked alone.
  if (!a.oracleDecodes || a.unsupported > 0) {
    std::printf("[ listed ] %s: %s; %zu of %zu fields decoded here\n", GetParam().c_str(),
                a.oracleDecodes ? "ecCodes decodes it" : "ecCodes cannot decode it",
                a.fields - a.unsupported, a.fields);
    RecordProperty("unsupported", a.oracleDecodes ? "here" : "ecCodes");
    return;
  }
  std::printf("[ agrees ] %s: %zu fields, %zu points\n", GetParam().c_str(), a.fields, a.points);
}

INSTANTIATE_TEST_SUITE_P(Files, GribOracle, ::testing::ValuesIn(gribFilesOrNone()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

// Real fields packed again by ecCodes in every packing producers use, with and without a
// bitmap: each must decode here exactly as ecCodes reads it back.
struct Repack {
  const char* name;
  const char* source;  // file of the shared data
  const char* keys;    // grib_set -r -s keys
};

const Repack kRepacks[] = {
    {"wave_simple", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_simple"},
    {"wave_complex", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_complex"},
    {"wave_sd1", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2",
     "packingType=grid_complex_spatial_differencing,orderOfSpatialDifferencing=1"},
    {"wave_sd2", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2",
     "packingType=grid_complex_spatial_differencing,orderOfSpatialDifferencing=2"},
    {"wave_png", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_png"},
    {"wave_ccsds", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_ccsds"},
    {"wave_ieee32", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_ieee"},
    {"wave_ieee64", "g2_gdaswave.t00z.wcoast.0p16.f000.grib2", "packingType=grid_ieee,precision=2"},
    {"cmc_ccsds", "g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib",
     "edition=2,packingType=grid_ccsds"},
    {"cmc_ccsds_24bit", "g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib",
     "edition=2,packingType=grid_ccsds,bitsPerValue=24"},
    {"missing_ccsds", "g1_fields_with_missing_values.grib", "edition=2,packingType=grid_ccsds"},
    {"missing_sd2", "g1_fields_with_missing_values.grib",
     "edition=2,packingType=grid_complex_spatial_differencing,orderOfSpatialDifferencing=2"},
    {"gaussian_ccsds", "g1_regular_gg_pl.grib", "edition=2,packingType=grid_ccsds"},
    {"polar_jpeg", "g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib",
     "edition=2,packingType=grid_jpeg"},
};

class GribRepacked : public ::testing::TestWithParam<Repack> {};

TEST_P(GribRepacked, DecodesAsEcCodesReadsIt)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_set").empty()) GTEST_SKIP() << "grib_set not installed";
  const Repack& r = GetParam();
  KOLTest::TempDir dir;
  const std::string out = dir.file(std::string(r.name) + ".grib2");
  int status = 0;
  KOLTest::run(std::string("grib_set -r -s ") + r.keys + " '" +
                   KOLTest::dataFile(std::string("grib/") + r.source) + "' '" + out + "' 2>&1",
               &status);
  ASSERT_EQ(status, 0) << "grib_set " << r.keys;
  const Agreement a = agreeWithEcCodes(out, false);
  ASSERT_TRUE(a.oracleDecodes);
  EXPECT_EQ(a.unsupported, 0u) << a.unsupported << " of " << a.fields << " fields not decoded";
  EXPECT_GT(a.points, 0u);
}

INSTANTIATE_TEST_SUITE_P(Packings, GribRepacked, ::testing::ValuesIn(kRepacks),
                         [](const ::testing::TestParamInfo<Repack>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
