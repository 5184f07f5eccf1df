// The five-character groups of upper-air reports and of the own upper-air file, case by case.
#include <gtest/gtest.h>

#include <string>

#include "obs/UpaKolFile.h"

namespace {

using KOL::Const;
using KOL::UpaKolFile;

struct PHCase {
  const char* group;
  float pres, hght;
};

TEST(UpaCodecTest, PressureHeightGroupsExpandByLevel)
{
  const PHCase cases[] = {
      {"85512", 850, 1512},  {"70997", 700, 2997},  {"70012", 700, 3012},
      {"50570", 500, 5700},  {"25047", 250, 10470}, {"00512", 1000, -12},
      {"00104", 1000, 104},  {"92839", 925, 839},   {"30950", 300, 9500},
      {"10646", 100, 16460}, {"07864", 70, 18640},  {"05072", 50, 20720},
      {"01112", 10, 31120},  {"-7500", 7, 35000},   {"85/", 850, Const::FMISS},
  };
  for (const PHCase& c : cases) {
    float p, h;
    EXPECT_EQ(UpaKolFile::decodePH(c.group, p, h), 1) << c.group;
    EXPECT_FLOAT_EQ(p, c.pres) << c.group;
    EXPECT_FLOAT_EQ(h, c.hght) << c.group;
    EXPECT_EQ(UpaKolFile::encodePH(c.pres, c.hght), c.group) << c.group;
  }
}

TEST(UpaCodecTest, MissingPressureHeightGroups)
{
  float p, h;
  for (const char* g : {"X", "99999", "99123", "", "9", "//123"}) {
    EXPECT_EQ(UpaKolFile::decodePH(g, p, h), 0) << g;
    EXPECT_EQ(p, Const::FMISS) << g;
    EXPECT_EQ(h, Const::FMISS) << g;
  }
  EXPECT_EQ(UpaKolFile::encodePH(Const::FMISS, Const::FMISS), "99999");
}

struct TDCase {
  const char* group;
  float temp, dewp;
};

TEST(UpaCodecTest, TemperatureGroups)
{
  const TDCase cases[] = {
      {"15258", 15.2f, 7.2f},    {"15330", -15.3f, -18.3f}, {"12327", -12.3f, -15.0f},
      {"00000", 0, 0},           {"00050", 0, -5.0f},       {"10299", 10.2f, Const::FMISS},
      {"12398", -12.3f, -60.3f},
  };
  for (const TDCase& c : cases) {
    float t, td;
    EXPECT_EQ(UpaKolFile::decodeTD(c.group, t, td), 1) << c.group;
    EXPECT_NEAR(t, c.temp, 1e-4) << c.group;
    if (c.dewp == Const::FMISS)
      EXPECT_EQ(td, Const::FMISS) << c.group;
    else
      EXPECT_NEAR(td, c.dewp, 1e-4) << c.group;
    EXPECT_EQ(UpaKolFile::encodeTD(c.temp, c.dewp), c.group) << c.group;
  }
}

TEST(UpaCodecTest, TemperatureEncodingRules)
{
  // Parity: a positive temperature's tenth is made even, a negative one's odd.
  EXPECT_EQ(UpaKolFile::encodeTD(15.3f, 15.3f), "15200");
  EXPECT_EQ(UpaKolFile::encodeTD(-12.4f, Const::FMISS), "12599");
  // Depressions 5.1 to 5.9 are written 50; from 6 degrees on, whole degrees + 50.
  EXPECT_EQ(UpaKolFile::encodeTD(10, 4.5f), "10050");
  EXPECT_EQ(UpaKolFile::encodeTD(10, 2.0f), "10058");
  EXPECT_EQ(UpaKolFile::encodeTD(Const::FMISS, 3), "99999");
  float t, td;
  // DD 51 to 55 are not used: the dew point is missing, the temperature stays.
  EXPECT_EQ(UpaKolFile::decodeTD("10253", t, td), 1);
  EXPECT_EQ(td, Const::FMISS);
  EXPECT_EQ(UpaKolFile::decodeTD("999//", t, td), 0);
  EXPECT_EQ(UpaKolFile::decodeTD("/////", t, td), 0);
  EXPECT_EQ(t, Const::FMISS);
}

struct WDCase {
  const char* group;
  float dir, spd;
};

TEST(UpaCodecTest, WindGroups)
{
  const WDCase cases[] = {{"27515", 275, 15},
                          {"27615", 275, 115},
                          {"00000", 0, 0},
                          {"36005", 360, 5},
                          {"09702", 95, 202}};
  for (const WDCase& c : cases) {
    float d, s;
    EXPECT_EQ(UpaKolFile::decodeWD(c.group, d, s), 1) << c.group;
    EXPECT_FLOAT_EQ(d, c.dir) << c.group;
    EXPECT_FLOAT_EQ(s, c.spd) << c.group;
    EXPECT_EQ(UpaKolFile::encodeWD(c.dir, c.spd), c.group) << c.group;
  }
  // Nearest 5 degrees, speed cut to whole knots.
  EXPECT_EQ(UpaKolFile::encodeWD(273, 14.7f), "27514");
  EXPECT_EQ(UpaKolFile::encodeWD(-1, 10), "99999");
  // Values no group can hold are written missing, never cut into a wrong group.
  EXPECT_EQ(UpaKolFile::encodeWD(270, 500), "99999");
  EXPECT_EQ(UpaKolFile::encodeWD(1e30f, 10), "99999");
  EXPECT_EQ(UpaKolFile::encodeTD(150, 0), "99999");
  EXPECT_EQ(UpaKolFile::encodeTD(-1e30f, 0), "99999");
  EXPECT_EQ(UpaKolFile::encodeTD(20, -20), "20090");
  EXPECT_EQ(UpaKolFile::encodeTD(20, -90), "20099");
  EXPECT_EQ(UpaKolFile::encodePH(850, 1e30f), "85/");
  EXPECT_EQ(UpaKolFile::encodePH(1e30f, 1e30f), "99999");
  float d, s;
  for (const char* g : {"99999", "X", "/////", "37010", "27751", "2751"}) {
    EXPECT_EQ(UpaKolFile::decodeWD(g, d, s), 0) << g;
    EXPECT_EQ(d, Const::FMISS) << g;
    EXPECT_EQ(s, Const::FMISS) << g;
  }
}

}  // namespace
