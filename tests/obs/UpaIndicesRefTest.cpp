// The indices of the real soundings of the shared upper-air data (their decoded tables give every
// level) against upa_indices_ref.py beside this file, an independent reading of the same
// definitions: standard-level indices, precipitable water, the surface parcel's LCL, lifted
// index, CAPE, CIN, LFC and EL under both rules for the end of the positive area, the freezing
// and wet-bulb zero levels and the theta-e index.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "common/TestData.h"
#include "obs/ParcelParams.h"
#include "obs/SoundParams.h"
#include "obs/UpaCalc.h"
#include "obs/UpaData.h"

namespace {

using KOL::Const;

float cell(const std::string& line, size_t col)
{
  if (line.size() <= col * 7) return Const::FMISS;
  float v;
  return std::sscanf(line.substr(col * 7, 7).c_str(), "%f", &v) == 1 ? v : Const::FMISS;
}

// The table's levels through the per-level setters, as a program without a decoder would.
KOL::UpaData readTable(const std::string& path)
{
  KOL::UpaData s;
  std::ifstream in(path);
  std::string line;
  bool metres = false;
  while (std::getline(in, line)) {
    if (line.find("SPED") != std::string::npos) metres = true;
    if (cell(line, 0) == Const::FMISS ||
        line.find_first_of("abcdfgijklnopqruvwxyz") != std::string::npos)
      continue;
    const int i = s.getNum();
    s.setNum(i + 1);
    s.setPres(i, cell(line, 0));
    s.setHght(i, cell(line, 1));
    s.setTemp(i, cell(line, 2));
    s.setDewp(i, cell(line, 3));
    s.setDir(i, cell(line, 6));
    const float spd = cell(line, 7);
    s.setSpd(i, metres && spd != Const::FMISS ? spd * 1.944f : spd);
  }
  return s;
}

std::map<std::string, double> reference(const std::string& table, int* status)
{
  std::string out = KOLTest::run(
      "python3 " + std::string(KOL_SOURCE_DIR) + "/tests/obs/upa_indices_ref.py " + table, status);
  std::map<std::string, double> values;
  std::istringstream in(out);
  std::string name;
  double v;
  while (in >> name >> v) values[name] = v;
  return values;
}

class UpaIndicesRefTest : public ::testing::TestWithParam<const char*> {};

TEST_P(UpaIndicesRefTest, AgreesWithIndependentReference)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("python3 -c 'print(1)'") != "1\n") GTEST_SKIP() << "python3 not available";
  const std::string table = KOLTest::dataFile(std::string("upperair/") + GetParam());
  int status = -1;
  std::map<std::string, double> ref = reference(table, &status);
  ASSERT_EQ(status, 0);
  ASSERT_GT(ref.size(), 8u);
  KOL::UpaData s = readTable(table);
  ASSERT_GT(s.getNum(), 20);

  KOL::ParcelParams part, top;
  top.setHighestEl(true);
  part.calc(s);
  top.calc(s);
  KOL::SoundParams sp;
  sp.calc(s);
  struct Check {
    const char* name;
    float value, tolerance;
  };
  const Check checks[] = {
      {"tt", KOL::UpaCalc::totalTotals(s), 0.01f},
      {"vt", KOL::UpaCalc::verticalTotals(s), 0.01f},
      {"ct", KOL::UpaCalc::crossTotals(s), 0.01f},
      {"k", KOL::UpaCalc::kIndex(s), 0.01f},
      {"pw_in", KOL::UpaCalc::precipWater(s), 0.002f},
      {"lcl_hPa", part.getLcl().pres, 0.1f},
      {"li", part.getLiftedIndex(), 0.05f},
      {"li", sp.getLiftedIndex(), 0.05f},
      {"cape", part.getCape(), 2.0f},
      {"cin", part.getCin(), 1.0f},
      {"lfc_hPa", part.getLfc().pres, 0.2f},
      {"el_hPa", part.getEl().pres, 0.2f},
      {"top_cape", top.getCape(), 2.0f},
      {"top_cin", top.getCin(), 1.0f},
      {"top_lfc_hPa", top.getLfc().pres, 0.2f},
      {"top_el_hPa", top.getEl().pres, 0.2f},
      {"frz_hPa", sp.getFreezing().pres, 0.2f},
      {"thetae_index", sp.getThetaE().index, 0.05f},
      {"wbz_hPa", sp.getWetBulbZero().pres, 0.2f},
  };
  for (const Check& c : checks) {
    auto found = ref.find(c.name);
    if (found == ref.end()) {
      EXPECT_EQ(c.value, Const::FMISS) << GetParam() << " " << c.name << " has no reference";
      continue;
    }
    EXPECT_NEAR(c.value, found->second, c.tolerance) << GetParam() << " " << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, UpaIndicesRefTest,
                         ::testing::Values("ENCODED_72201_KEY_20180630_12Z.table.txt",
                                           "ENCODED_72357_OUN_20110522_12Z.table.txt",
                                           "ENCODED_72456_TOP_20070504_12Z.table.txt",
                                           "real_02963_20060410_12Z.table.txt",
                                           "real_83779_20230223_12Z.table.txt"),
                         [](const auto& info) { return std::string(info.param).substr(0, 14); });

}  // namespace
