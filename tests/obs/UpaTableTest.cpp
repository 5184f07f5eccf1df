// Real and encoded upper-air reports against the decoded tables that lie beside them: every level
// the report gives must be in the table at the same pressure, with reported heights within 1 m,
// temperatures and dew points within the code's resolution and winds within 5 degrees and 1 kt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

using KOL::Const;
using KOL::UpaLevel;

struct Row {
  float pres = Const::FMISS, hght = Const::FMISS, temp = Const::FMISS, dewp = Const::FMISS;
  float dir = Const::FMISS, spd = Const::FMISS;
};

float column(const std::string& line, size_t col)
{
  if (line.size() <= col * 7) return Const::FMISS;
  std::string cell = line.substr(col * 7, 7);
  float v;
  return std::sscanf(cell.c_str(), "%f", &v) == 1 ? v : Const::FMISS;
}

// The fixed seven-character columns PRES HGHT TEMP DWPT RELH MIXR DRCT SKNT (or SPED in m/s).
std::vector<Row> readTable(const std::string& path)
{
  std::ifstream in(path);
  std::vector<Row> rows;
  std::string line;
  bool metres = false;
  while (std::getline(in, line)) {
    if (line.find("SPED") != std::string::npos) metres = true;
    Row r;
    r.pres = column(line, 0);
    if (r.pres == Const::FMISS || line.find_first_of("abcdfgijklnopqruvwxyz") != std::string::npos)
      continue;
    r.hght = column(line, 1);
    r.temp = column(line, 2);
    r.dewp = column(line, 3);
    r.dir = column(line, 6);
    r.spd = column(line, 7);
    if (metres && r.spd != Const::FMISS) r.spd *= 1.944f;
    rows.push_back(r);
  }
  return rows;
}

struct Case {
  const char* name;   // the report file, beside its table
  const char* extra;  // a second report file, or ""
  const char* date;   // near the observation
  // The table holds the winds of the 21212 sections as reported (the real 83779 table comes from
  // another decoder that lists other wind levels).
  bool section_winds = true;
};

std::vector<KOL::UpaRawinData> decodeFile(const std::string& path, const char* date)
{
  std::vector<KOL::UpaRawinData> records;
  KOL::UpaWmoFile f;
  f.setDate(KOL::Date(date));
  EXPECT_TRUE(f.open(path.c_str())) << path;
  KOL::UpaWmoData part;
  while (f.read(part)) {
    if (records.empty()) records.emplace_back();
    KOL::UpaTool::decode(part, records.back());
  }
  return records;
}

// The row at pressure p, or the nearest within the tolerance.
const Row* rowAt(const std::vector<Row>& rows, float p, float tolerance)
{
  const Row* best = nullptr;
  for (const Row& r : rows)
    if (std::fabs(r.pres - p) <= tolerance &&
        (!best || std::fabs(r.pres - p) < std::fabs(best->pres - p)))
      best = &r;
  return best;
}

float angle(float a, float b)
{
  float d = std::fabs(a - b);
  return d > 180 ? 360 - d : d;
}

// Differences of one reported level from its table row, as text.
std::string compare(const UpaLevel& l, const Row& r, bool height_reported)
{
  std::ostringstream out;
  if (height_reported && l.validHght() && r.hght != Const::FMISS && std::fabs(l.hght - r.hght) > 1)
    out << " height " << l.hght << " vs " << r.hght;
  // Temperatures: tenths moved to the parity of the sign; depressions above 5 C in degrees.
  if (l.validTemp() && std::fabs(l.temp - r.temp) > 0.11f)
    out << " temp " << l.temp << " vs " << r.temp;
  if (l.validDewp() && r.dewp != Const::FMISS) {
    float tolerance = l.temp - l.dewp > 5.05f ? 0.61f : 0.21f;
    if (std::fabs(l.dewp - r.dewp) > tolerance) out << " dewp " << l.dewp << " vs " << r.dewp;
  }
  if (l.validWind() && l.spd > 0 && r.dir != Const::FMISS) {
    if (angle(l.dir, r.dir) > 5) out << " dir " << l.dir << " vs " << r.dir;
    if (std::fabs(l.spd - r.spd) > 1) out << " spd " << l.spd << " vs " << r.spd;
  }
  return out.str();
}

class UpaTableTest : public ::testing::TestWithParam<Case> {};

TEST_P(UpaTableTest, ReportedLevelsAgreeWithTable)
{
  KOL_REQUIRE_DATA();
  const Case& c = GetParam();
  std::string report = KOLTest::dataFile(std::string("upperair/") + c.name + ".txt");
  std::string table = KOLTest::dataFile(std::string("upperair/") + c.name + ".table.txt");
  std::vector<Row> rows = readTable(table);
  ASSERT_GT(rows.size(), 10u) << table;
  std::vector<KOL::UpaRawinData> records = decodeFile(report, c.date);
  ASSERT_EQ(records.size(), 1u);
  KOL::UpaRawinData& r = records[0];
  if (*c.extra) {
    std::vector<KOL::UpaRawinData> pilot =
        decodeFile(KOLTest::dataFile(std::string("upperair/") + c.name + c.extra), c.date);
    ASSERT_EQ(pilot.size(), 1u);
    for (int i = 0; i < pilot[0].getNumWnd(); ++i) r.addWnd(*pilot[0].getWnd(i));
  }

  int checked = 0;
  std::string faults;
  auto check = [&](const UpaLevel& l, const char* list, bool height_reported) {
    if (!l.validPres()) return;
    // Wind levels of height sections were encoded with whole-hPa pressures.
    const Row* row = rowAt(rows, l.pres, list[0] == 'w' ? 0.51f : 0.05f);
    // A standard level below the ground has neither temperature nor wind.
    if (!row && !l.validTemp() && !l.validWind()) return;
    if (!row) {
      faults += std::string(list) + " " + std::to_string(l.pres) + " not in the table\n";
      return;
    }
    std::string diff = compare(l, *row, height_reported);
    if (!diff.empty()) faults += std::string(list) + " " + std::to_string(l.pres) + diff + "\n";
    ++checked;
  };
  for (int i = 0; i < r.getNumMan(); ++i) check(*r.getMan(i), "mandatory", true);
  // Where part B repeats a standard level the merged sounding keeps part A's values, as the
  // tables do (02963 reports the 100 hPa dew point 1 degree apart in parts A and B).
  for (int i = 0; i < r.getNumSig(); ++i)
    if (r.getManPr(r.getSig(i)->pres) < 0) check(*r.getSig(i), "significant", false);
  for (int i = 0; i < r.getNumWnd() && c.section_winds; ++i)
    if (r.getManPr(r.getWnd(i)->pres) < 0) check(*r.getWnd(i), "wind", false);
  // PILOT levels by height (feet in the record, metres in the table).
  for (int i = 0; i < r.getNumWnd(); ++i) {
    const UpaLevel& l = *r.getWnd(i);
    if (!l.validHght() || l.hght == 0) continue;
    const Row* row = nullptr;
    for (const Row& t : rows)
      if (t.hght != Const::FMISS && std::fabs(t.hght - l.hght * 0.3048f) <= 2) row = &t;
    if (!row) {
      faults += "height wind " + std::to_string(l.hght) + " ft not in the table\n";
      continue;
    }
    std::string diff = compare(l, *row, false);
    if (!diff.empty()) faults += "height wind " + std::to_string(l.hght) + diff + "\n";
    ++checked;
  }
  EXPECT_EQ(faults, "") << c.name;
  EXPECT_GT(checked, 20) << c.name;

  // Heights the merge computes for significant levels, against the table's.
  KOL::UpaData d;
  ASSERT_TRUE(KOL::UpaTool::merge(r, d));
  float worst = 0;
  for (int i = 0; i < d.getNum(); ++i) {
    const Row* row = d.validPres(i) ? rowAt(rows, d.getPres(i), 0.05f) : nullptr;
    if (row && row->hght != Const::FMISS && d.validHght(i) && d.getPres(i) >= 100)
      worst = std::max(worst, std::fabs(d.getHght(i) - row->hght));
  }
  std::printf("%s: computed heights up to 100 hPa within %.0f m of the table\n", c.name, worst);
  EXPECT_LT(worst, 10) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, UpaTableTest,
    ::testing::Values(Case{"ENCODED_72201_KEY_20180630_12Z", "", "201806301200"},
                      Case{"ENCODED_72357_OUN_20110522_12Z", "", "201105221200"},
                      Case{"ENCODED_72456_TOP_20070504_12Z", ".pilot.txt", "200705041200"},
                      Case{"real_02963_20060410_12Z", "", "200604101200"},
                      Case{"real_83779_20230223_12Z", "", "202302231200", false}),
    [](const auto& info) { return std::string(info.param.name).substr(0, 14); });

}  // namespace
