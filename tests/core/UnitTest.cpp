#include "core/Unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"

using namespace KOL;

namespace {

constexpr float MISS = KOL::Const::FMISS;

// Points the database directory at a directory for one test and restores it afterwards.
class UnitTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Kol::getDatabasePath(); }
  void TearDown() override { Kol::setDatabasePath(saved_.c_str()); }
  void useTable(const std::string& text)
  {
    KOLTest::writeFile(dir_.file("units.lup"), text);
    Kol::setDatabasePath(dir_.path().c_str());
  }
  void useShippedTable() { Kol::setDatabasePath(KOLTest::databaseDir().c_str()); }

  KOLTest::TempDir dir_;
  std::string saved_;
};

TEST_F(UnitTest, ConvertsThroughTheTableInTheWrittenDirectionOnly)
{
  useTable("# test table\nC F *1.8+32\nkm m *1000\nm ft *3.28084\nm ft *99\nPa hPa *0.01\n");
  Unit u;
  EXPECT_FLOAT_EQ(u.convert(100, "C", "F"), 212);
  EXPECT_FLOAT_EQ(u.convert(-40, "c", "f"), -40);
  EXPECT_EQ(u.convert(212, "F", "C"), MISS);
  EXPECT_FALSE(u.valid("F", "C"));
  EXPECT_EQ(u.convert(MISS, "C", "F"), MISS);
  // The first matching line wins.
  EXPECT_FLOAT_EQ(u.convert(1, "m", "ft"), 3.28084f);
  // Equal names, in any case, and empty names need no table.
  EXPECT_EQ(u.convert(5, "m", "M"), 5);
  EXPECT_TRUE(u.valid("m_s-1", "M S-1"));
  EXPECT_FALSE(u.valid("m", ""));
}

TEST_F(UnitTest, MultipliersAndScaledNames)
{
  useTable("km m *1000\n10^3_m km *2\n");
  Unit u;
  // Scaled forms of one base unit need no table at all.
  EXPECT_FLOAT_EQ(u.convert(2, "10^3 m", "m"), 2000);
  EXPECT_FLOAT_EQ(u.convert(3, "m", "10^3_m"), 0.003f);
  EXPECT_FLOAT_EQ(u.convert(4, "-m", "m"), -4);
  EXPECT_FLOAT_EQ(u.convert(7, "10^-5 /s", "/s"), 7e-5f);
  EXPECT_EQ(u.getNum(), 0);
  // Multipliers apply around a table conversion of the base units.
  EXPECT_FLOAT_EQ(u.convert(5, "10^-3 km", "m"), 5);
  EXPECT_FLOAT_EQ(u.convert(5, "km", "10^3 m"), 5);
  // A zero multiplier has no inverse.
  EXPECT_EQ(u.convert(5, "m", "0 m"), MISS);
  EXPECT_EQ(u.convert(1e30f, "10^20 m", "m"), MISS);
  // "1/s" and "100m" have no multiplier: they are names of their own.
  EXPECT_EQ(u.convert(1, "1/s", "/s"), MISS);
  EXPECT_EQ(u.convert(1, "100m", "m"), MISS);
}

TEST_F(UnitTest, CachesTheTenMostRecentConversions)
{
  std::string table;
  for (int i = 0; i < 12; i++)
    table += "a" + std::to_string(i) + " b *" + std::to_string(i + 1) + "\n";
  useTable(table);
  Unit u;
  for (int i = 0; i < 11; i++)
    EXPECT_FLOAT_EQ(u.convert(1, ("a" + std::to_string(i)).c_str(), "b"), i + 1);
  EXPECT_FALSE(u.cached("a0", "b"));
  EXPECT_TRUE(u.cached("A10", "B"));
  // Cached conversions, found or not, no longer look at the table, even where there is none.
  EXPECT_EQ(u.convert(1, "a3", "nothing"), MISS);
  KOLTest::TempDir empty;
  Kol::setDatabasePath(empty.path().c_str());
  EXPECT_FLOAT_EQ(u.convert(2, "a10", "b"), 22);
  EXPECT_EQ(u.convert(1, "a3", "nothing"), MISS);
  EXPECT_EQ(u.convert(1, "a11", "b"), MISS);
  // The next replacement takes the oldest entry left, not the newest.
  EXPECT_FALSE(u.cached("a1", "b"));
  EXPECT_TRUE(u.cached("a10", "b"));
}

TEST_F(UnitTest, BadTablesAndNamesGiveMissing)
{
  Kol::setDatabasePath(dir_.path().c_str());  // no units file at all
  Unit u;
  EXPECT_EQ(u.convert(1, "C", "F"), MISS);
  EXPECT_FALSE(u.valid("C", "F"));

  useTable("C F 1.8+32\nC K *x\nC R *1.8+\nC Q *2\nm\n");
  Unit v;
  testing::internal::CaptureStderr();
  EXPECT_EQ(v.convert(1, "C", "F"), MISS);
  EXPECT_EQ(v.convert(1, "C", "K"), MISS);
  EXPECT_EQ(v.convert(1, "C", "R"), MISS);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Unit: bad expression 1.8+32 for C F"), std::string::npos) << err;
  EXPECT_FLOAT_EQ(v.convert(1, "C", "Q"), 2);
  EXPECT_EQ(v.convert(1, nullptr, "F"), MISS);
  // A scaled name too long for the cache still converts, every time. (A table is read once per
  // directory, so the next one goes into a directory of its own.)
  KOLTest::TempDir other;
  KOLTest::writeFile(other.file("units.lup"), "kg/m^2/s mm/s *1\n");
  Kol::setDatabasePath(other.path().c_str());
  EXPECT_FLOAT_EQ(v.convert(2, "10^-03 kg/m^2/s", "mm/s"), 0.002f);
  EXPECT_FALSE(v.cached("10^-03 kg/m^2/s", "mm/s"));
  EXPECT_FLOAT_EQ(v.convert(3, "10^-03 kg/m^2/s", "mm/s"), 0.003f);
}

// The name GNU units knows a unit of the table by (temperatures go through its functions).
std::string oracleName(const std::string& u)
{
  static const std::map<std::string, std::string> names = {
      {"kt", "knot"},     {"kts", "knot"},
      {"knots", "knot"},  {"km/h", "km/hr"},
      {"h", "hr"},        {"d", "day"},
      {"mb", "millibar"}, {"dam", "decameter"},
      {"gpm", "m"},       {"kg/m^2", "kg/m^2 / (1 g/cm^3)"}};
  auto it = names.find(u);
  return it == names.end() ? u : it->second;
}

TEST_F(UnitTest, ShippedTableAgreesWithGnuUnits)
{
  useShippedTable();
  std::istringstream file(KOLTest::readFile(KOLTest::databaseDir() + "/units.lup"));
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string from, to, expr;
    if (words >> from >> to >> expr && from[0] != '#') pairs.emplace_back(from, to);
  }
  ASSERT_GT(pairs.size(), 150u);

  const float value = 7.25f;
  std::string queries;
  for (const auto& [from, to] : pairs) {
    bool temp = from.size() == 1 && std::string("CFK").find(from) != std::string::npos;
    if (temp)
      queries += "temp" + from + "(7.25)\ntemp" + to + "\n";
    else
      queries += "7.25 " + oracleName(from) + "\n" + oracleName(to) + "\n";
  }
  KOLTest::writeFile(dir_.file("queries"), queries);
  int status = 0;
  std::string out = KOLTest::run("units -t --quiet < " + dir_.file("queries") + " 2>&1", &status);
  if (out.empty()) GTEST_SKIP() << "GNU units not available";
  std::istringstream answers(out);
  Unit u;
  for (const auto& [from, to] : pairs) {
    SCOPED_TRACE(from + " -> " + to);
    std::string answer;
    ASSERT_TRUE(std::getline(answers, answer));
    double expect = std::strtod(answer.c_str(), nullptr);
    EXPECT_NEAR(u.convert(value, from.c_str(), to.c_str()), expect, 3e-7 * std::fabs(expect) + 1e-5)
        << answer;
    // Every pair is also known the other way round.
    EXPECT_TRUE(u.valid(to.c_str(), from.c_str()));
  }
}

TEST(UnitLabelTest, ScaleParseChangeSimplify)
{
  String s;
  const struct {
    const char* unit;
    float factor;
    const char* suffix;
    const char* expect;
  } scales[] = {{"K", 1e-5f, "/m", "10^-5 K/m"},
                {"10^3 m", 1e-5f, "/m", "10^-2 m/m"},
                {"K", 2e-5f, "/m", "2e-05 K/m"},
                {"m/s", 1, nullptr, "10^0 m/s"}};
  for (const auto& c : scales) {
    Unit::scale(c.unit, c.factor, c.suffix, s);
    EXPECT_STREQ(s.get(), c.expect);
  }

  const struct {
    const char* label;
    int result;
    const char* name;
    const char* unit;
  } labels[] = {{"Wind speed (m/s)", 1, "Wind speed", "m/s"},
                {"Height [m] (msl)", 1, "Height", "m"},
                {"Height", 0, "Height", ""},
                {"Open [unit", 1, "Open", "unit"}};
  String name, unit;
  for (const auto& l : labels) {
    SCOPED_TRACE(l.label);
    EXPECT_EQ(Unit::parse(l.label, name, unit), l.result);
    EXPECT_STREQ(name.get(), l.name);
    EXPECT_STREQ(unit.get(), l.unit);
  }
  std::string longUnit = "x [" + std::string(80, 'u') + "]";
  Unit::parse(longUnit.c_str(), name, unit);
  EXPECT_EQ(unit.length(), Unit::UNIT_SIZE - 1);

  String label("Wind (kt)");
  Unit::change(label, "m/s");
  EXPECT_STREQ(label.get(), "Wind [m/s]");
  label.copy("Pressure");
  Unit::change(label, "hPa");
  EXPECT_STREQ(label.get(), "Pressure [hPa]");

  EXPECT_FALSE(Unit::equal("m", "M"));

  const struct {
    const char* in;
    const char* out;
  } simple[] = {{"m/s/s", "m/s^2"}, {"g/kg/kg", "g/"}, {"g/g", ""}, {"kg/kg m/s/s", " m/s^2"}};
  for (const auto& c : simple) {
    String t(c.in);
    Unit::simplify(t);
    EXPECT_STREQ(t.get(), c.out);
    EXPECT_EQ(t.length(), (int)std::string(c.out).size());
  }
}

}  // namespace
