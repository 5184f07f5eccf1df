// Every GRIB file of the shared data, and files made from them with grib_set, against ecCodes:
// inventory as grib_ls, values within half the packing precision, missing points alike,
// coordinates within 1e-4 degrees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "GribDataFiles.h"
#include "GribMessages.h"
#include "common/TestData.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Inventory.h"

using KOL::grib::Field;

namespace {

// A field as ecCodes decodes it (eccodes_points.py): the decoder oracle.
struct EcCodesField {
  std::vector<double> values;    // -9999 where missing
  std::vector<double> lat, lon;  // empty unless asked for
};

// Every field of the file; false when ecCodes cannot decode one of them or cannot be run.
bool ecCodesFields(const std::string& path, bool coords, std::vector<EcCodesField>& out)
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

KOLTest::Bytes readBytes(const std::string& path)
{
  const std::string s = KOLTest::readFile(path);
  return KOLTest::Bytes(s.begin(), s.end());
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

void checkInventory(const Field& f, const std::vector<std::string>& r)
{
  const bool ed1 = f.edition == 1;
  const int t = f.levelType1;
  // Our value of each grib_ls column (-1: not compared).
  const long ours[] = {f.edition,
                       f.grid.nx,
                       f.grid.ny,
                       long(f.grid.points()),
                       ed1 ? f.tableVersion : -1,
                       ed1 ? f.parameter : -1,
                       ed1 ? t : -1,
                       ed1 && (t == 100 || t == 105 || t == 1 || t == 109)
                           ? long(f.level1) * 256 + long(f.level2)
                           : -1,
                       ed1 ? -1 : f.discipline,
                       ed1 ? -1 : f.category,
                       ed1 ? -1 : f.parameter,
                       ed1 ? -1 : t};
  for (size_t k = 0; k < std::size(ours); k++)
    if (ours[k] != -1 && r[k] != "not_found" && r[k] != "MISSING") {
      EXPECT_EQ(ours[k], num(r[k])) << "column " << k;
    }
  if (!ed1 && r[13] != "MISSING" && r[12] != "MISSING") {
    // grib_ls shows the scaled value unsigned; its top bit is a sign.
    const long raw = num(r[13]);
    const double value = (raw & 0x80000000L) ? -(raw & 0x7FFFFFFFL) : raw;
    EXPECT_NEAR(f.level1, value * std::pow(10.0, -num(r[12])), 1e-6 * (1 + std::fabs(f.level1)));
  }
}

// Our points against ecCodes'; the count compared.
size_t comparePoints(const Field& f, const EcCodesField& o)
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
  const KOLTest::Bytes bytes = readBytes(path);
  std::vector<Field> fields;
  KOL::grib::FieldWalker walk(bytes.data(), bytes.size());
  for (Field f; walk.next(f);) fields.push_back(std::move(f));
  a.fields = fields.size();
  for (const Field& f : fields) a.unsupported += f.values.empty() ? 1 : 0;
  std::vector<EcCodesField> theirs;
  a.oracleDecodes = ecCodesFields(path, !coordsByProj, theirs);
  if (!a.oracleDecodes || a.unsupported > 0) return a;
  auto rows = gribLs(path);
  EXPECT_EQ(rows.size(), fields.size()) << "field count differs from grib_ls";
  EXPECT_EQ(theirs.size(), fields.size()) << "field count differs from ecCodes'";
  if (rows.size() != fields.size() || theirs.size() != fields.size()) return a;
  for (size_t k = 0; k < fields.size(); k++) {
    SCOPED_TRACE("field " + std::to_string(k + 1));
    checkInventory(fields[k], rows[k]);
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
  // ecCodes 2.28 misplaces edition 1 south polar points (PROJ checks them): values only.
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

// Real fields packed again by ecCodes in every packing producers use, with and without a bitmap,
// and constant ones (values of no bits) in every packing that can carry them.
struct Made {
  const char* name;
  const char* source;              // file of the shared data
  std::vector<std::string> steps;  // grib_set options, applied in turn
  int complex = 0;                 // then turned into complex packing of this template
  int groups = 0;                  // with this many groups (0 or 1)
  int packing = -1;                // a constant field's data representation template
  int bits = 0;                    // and its bit width
};

const char* WAVE = "g2_gdaswave.t00z.wcoast.0p16.f000.grib2";
const char* CMC = "g1_CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib";
const char* MASKED = "g1_fields_with_missing_values.grib";
const char* BIG = "bench/hrrr_tmp2m_grid_simple.grib2";  // 1799 x 1059 points
const char* SMALL = "g2_regular_ll_msl.grib2";
const std::string SD = "-r -s packingType=grid_complex_spatial_differencing";
const std::string ZERO = "-s edition=2,bitsPerValue=0";

const Made kMade[] = {
    {"wave_simple", WAVE, {"-r -s packingType=grid_simple"}},
    {"wave_complex", WAVE, {"-r -s packingType=grid_complex"}},
    {"wave_sd1", WAVE, {SD + ",orderOfSpatialDifferencing=1"}},
    {"wave_sd2", WAVE, {SD + ",orderOfSpatialDifferencing=2"}},
    {"wave_png", WAVE, {"-r -s packingType=grid_png"}},
    {"wave_ccsds", WAVE, {"-r -s packingType=grid_ccsds"}},
    {"wave_ieee32", WAVE, {"-r -s packingType=grid_ieee"}},
    {"wave_ieee64", WAVE, {"-r -s packingType=grid_ieee,precision=2"}},
    {"cmc_ccsds_24bit", CMC, {"-r -s edition=2,packingType=grid_ccsds,bitsPerValue=24"}},
    {"missing_ccsds", MASKED, {"-r -s edition=2,packingType=grid_ccsds"}},
    {"missing_sd2",
     MASKED,
     {"-r -s "
      "edition=2,packingType=grid_complex_spatial_differencing,orderOfSpatialDifferencing=2"}},
    {"polar_jpeg", CMC, {"-r -s edition=2,packingType=grid_jpeg"}},
    {"constant_simple_big", BIG, {"-d 5"}, 0, 0, 0},
    {"constant_simple_scaled", SMALL, {"-s decimalScaleFactor=2 -d 5.25"}, 0, 0, 0},
    {"constant_simple_bitmap", MASKED, {ZERO}, 0, 0, 0},
    {"constant_edition1_big", BIG, {"-d 5", "-s edition=1"}, 0, 0, 0},
    {"constant_edition1_bitmap", MASKED, {"-s bitsPerValue=0"}, 0, 0, 0},
    {"constant_png", SMALL, {"-d 271.5", "-s packingType=grid_png"}, 0, 0, 41},
    {"constant_png_bitmap", MASKED, {ZERO, "-s packingType=grid_png"}, 0, 0, 41},
    {"constant_jpeg", SMALL, {"-d -3", "-s packingType=grid_jpeg"}, 0, 0, 40},
    {"constant_jpeg_bitmap", MASKED, {ZERO, "-s packingType=grid_jpeg"}, 0, 0, 40},
    {"constant_complex_no_group_big", BIG, {"-d 5"}, 2, 0, 2},
    {"constant_complex_group_of_0", SMALL, {"-d 5"}, 2, 1, 2},
    {"constant_sd_no_group_bitmap", MASKED, {ZERO}, 3, 0, 3},
    {"constant_sd_group_of_0_bitmap", MASKED, {ZERO}, 3, 1, 3},
    // Not of 0 bits: ecCodes' own spatial differencing of order 0.
    {"constant_sd_order_0", SMALL, {SD, "-d 5"}, 0, 0, 3, 14}};

// The first message turned into complex packing (template 2 or 3) of a constant field with no
// group or one group of width 0, as other producers write it and ecCodes does not.
KOLTest::Bytes asConstantComplex(const KOLTest::Bytes& msg, int templ, int groups)
{
  KOLTest::Bytes out(msg.begin(), msg.begin() + 16);
  for (size_t at = 16; at + 4 <= msg.size() &&
                       std::string(msg.begin() + long(at), msg.begin() + long(at) + 4) != "7777";) {
    const size_t len = (size_t(msg[at]) << 24) | (size_t(msg[at + 1]) << 16) |
                       (size_t(msg[at + 2]) << 8) | msg[at + 3];
    const int number = msg[at + 4];
    KOLTest::Bytes body(msg.begin() + long(at) + 5, msg.begin() + long(at + len));
    if (number == 5) {
      KOLTest::Bytes drs(body.begin(), body.begin() + 15);  // values, template, R, E, D, bits
      const uint64_t values = KOL::grib::Octets(drs.data(), 4).u4(1);
      drs[4] = 0, drs[5] = uint8_t(templ);
      KOLTest::put(drs, 0, 1);           // original type
      KOLTest::put(drs, 1, 1);           // group splitting
      KOLTest::put(drs, 0, 1);           // no missing values
      KOLTest::put(drs, 0xFFFFFFFF, 4);  // primary and secondary missing values
      KOLTest::put(drs, 0xFFFFFFFF, 4);
      KOLTest::put(drs, uint64_t(groups), 4);        // groups
      KOLTest::put(drs, 0, 2);                       // width reference and bits
      KOLTest::put(drs, 0, 4);                       // length reference
      KOLTest::put(drs, 1, 1);                       // length increment
      KOLTest::put(drs, groups ? values : 0, 4);     // true length of the last group
      KOLTest::put(drs, 0, 1);                       // length bits
      if (templ == 3) KOLTest::put(drs, 0x0200, 2);  // order 2, no extra octets
      body = drs;
    }
    if (number == 7) body.clear();
    KOLTest::section(out, number, body);
    at += len;
  }
  out.insert(out.end(), {'7', '7', '7', '7'});
  KOLTest::setLength(out);
  return out;
}

// A constant field: its packing, all its values alike, a bitmap where points are missing.
void expectConstant(const Made& m, const std::string& path)
{
  const KOLTest::Bytes bytes = readBytes(path);
  KOL::grib::FieldWalker walk(bytes.data(), bytes.size());
  for (Field f; walk.next(f);) {
    EXPECT_TRUE(f.pack.templ == m.packing && f.pack.bits == m.bits) << f.pack.templ;
    const size_t missing = size_t(std::count(f.values.begin(), f.values.end(), KOL::grib::MISSING));
    EXPECT_EQ(missing > 0, f.bitmapPresent);
    const auto set = std::find_if(f.values.begin(), f.values.end(),
                                  [](float v) { return v != KOL::grib::MISSING; });
    EXPECT_EQ(size_t(std::count(f.values.begin(), f.values.end(), *set)) + missing,
              f.values.size());
  }
}

class GribMade : public KOLTest::QuietTest, public ::testing::WithParamInterface<Made> {};

TEST_P(GribMade, DecodesAsEcCodesReadsIt)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_set").empty()) GTEST_SKIP() << "grib_set not installed";
  const Made& m = GetParam();
  KOLTest::TempDir dir;
  std::string from = KOLTest::dataFile(std::string("grib/") + m.source);
  for (size_t k = 0; k < m.steps.size(); k++) {
    const std::string to = dir.file(std::to_string(k) + ".grib");
    int status = 0;
    KOLTest::run("grib_set " + m.steps[k] + " '" + from + "' '" + to + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << "grib_set " << m.steps[k];
    from = to;
  }
  if (m.complex) {
    const KOLTest::Bytes msg = asConstantComplex(readBytes(from), m.complex, m.groups);
    from = dir.file("complex.grib");
    KOLTest::writeFile(from, std::string(msg.begin(), msg.end()));
  }
  const Agreement a = agreeWithEcCodes(from, false);
  ASSERT_TRUE(a.oracleDecodes);
  EXPECT_EQ(a.unsupported, 0u) << a.unsupported << " of " << a.fields << " fields not decoded";
  EXPECT_GT(a.points, 0u);
  if (m.packing >= 0) expectConstant(m, from);
}

INSTANTIATE_TEST_SUITE_P(Packings, GribMade, ::testing::ValuesIn(kMade),
                         [](const ::testing::TestParamInfo<Made>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
