// Real soundings on the diagrams: the decoded levels agree with the published tables, and the
// drawn curves, wind barbs and parcel path have ink where the diagram projection puts them.
// Station choice, the own upper-air file found by naming convention, and input that has no
// usable sounding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DiagramPicture.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "layers/SoundPlot.h"
#include "layers/ThermPlot.h"
#include "obs/Calc.h"
#include "obs/ParcelParams.h"
#include "obs/UpaData.h"

using KOL::Date;
using KOL::Point;
using KOL::SoundPlot;
using KOL::ThermPlot;
using KOL::UpaData;
using KOLTest::DiagramPlot;

namespace {

struct Case {
  const char* file;
  const char* id;
  Date reference;
  const char* extension = ".txt";
};

const Case OUN{"upperair/ENCODED_72357_OUN_20110522_12Z", "OUN", Date(2011, 5, 22, 13, 0, 0)};
const Case KEY{"upperair/ENCODED_72201_KEY_20180630_12Z", "72201", Date(2018, 6, 30, 13, 0, 0)};
// A high-resolution BUFR sounding (5230 levels) of Wakkanai.
const Case WAKKANAI{"bufr/A_IUSC60RJTD050000_C_RJTD_20191105010145_42.bufr", "47401",
                    Date(2019, 11, 5, 1, 0, 0), ""};

// A level of a published table: pressure, temperature and dew point (missing when blank).
struct TableLevel {
  float pres, temp, dewp;
};

float field(const std::string& line, size_t at)
{
  if (line.size() < at + 7) return KOL::Const::FMISS;
  const std::string f = line.substr(at, 7);
  return f.find_first_not_of(' ') == std::string::npos ? KOL::Const::FMISS
                                                       : std::strtof(f.c_str(), nullptr);
}

std::vector<TableLevel> readTable(const std::string& path)
{
  std::vector<TableLevel> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    float p;
    if (line.size() < 28 || std::sscanf(line.c_str(), "%f", &p) != 1 || p <= 0) continue;
    if (line.find_first_not_of(" 0123456789.-") != std::string::npos) continue;
    out.push_back({p, field(line, 14), field(line, 21)});
  }
  return out;
}

// The sounding of the case, the layer set up by the resource "color_data" (temperature, dew
// point, winds) and params.
SoundPlot loaded(const Case& c, const char* params = "", const char* colours = "")
{
  KOL::Kol::resrc.set("color_data", colours);
  SoundPlot sp;
  KOL::Kol::resrc.set("color_data", "");
  sp.setParam(params);
  sp.setId(c.id);
  EXPECT_TRUE(sp.setFilename(KOLTest::dataFile(std::string(c.file) + c.extension).c_str()));
  EXPECT_EQ(sp.load(c.reference), 1) << sp.getProblem();
  return sp;
}

class SoundPlotTest : public KOLTest::DatabaseTest {};

TEST_F(SoundPlotTest, DecodedLevelsAgreeWithThePublishedTable)
{
  KOL_REQUIRE_DATA();
  for (const Case& c : {OUN, KEY}) {
    const SoundPlot sp = loaded(c);
    const UpaData& s = sp.getSounding();
    EXPECT_EQ(s.getDate().getDay(), c.reference.getDay()) << c.file;
    EXPECT_EQ(s.getDate().getHour(), 12) << c.file;
    int found = 0, wanted = 0;
    for (const TableLevel& t : readTable(KOLTest::dataFile(std::string(c.file) + ".table.txt"))) {
      if (KOL::Const::isMiss(t.temp) || t.pres < 100 || t.pres != std::floor(t.pres)) continue;
      ++wanted;
      for (int i = 0; i < s.getNum(); ++i)
        if (std::fabs(s.getPres(i) - t.pres) < 0.5f && std::fabs(s.getTemp(i) - t.temp) < 0.15f) {
          ++found;
          break;
        }
    }
    EXPECT_GT(wanted, 20) << c.file;
    EXPECT_GE(found, wanted * 9 / 10) << c.file;
  }
}

TEST_F(SoundPlotTest, CurvesPassThroughTheLevelsOnEveryDiagram)
{
  KOL_REQUIRE_DATA();
  const char* names[] = {"skewt", "stuve", "ema", "teph", "rteph"};
  for (const Case& c : {OUN, KEY, WAKKANAI}) {
    SoundPlot sp = loaded(c, "noparcel,co=red:w2,cosd=magenta:w2");
    const UpaData& s = sp.getSounding();
    for (int type = 0; type < ThermPlot::NUM_TYPES; ++type) {
      DiagramPlot d(type);
      ThermPlot tp;
      tp.setType(type);
      tp.draw(d.plot());
      sp.setDiagram(type);
      ASSERT_EQ(sp.draw(d.plot()), 1);
      d.capture(std::string("sounding_") + sp.getSounding().getWmo() + "_" + names[type] + ".png");
      int checked = 0, inked = 0;
      for (int i = 0; i < s.getNum(); ++i) {
        if (!s.validTemp(i) || !s.validPres(i)) continue;
        const bool saturated = s.validDewp(i) && s.getTemp(i) - s.getDewp(i) < 1.5f;
        const Point t = d.pixel(s.getTemp(i), s.getPres(i));
        if (d.inside(t, 8)) {
          ++checked;
          inked += d.inkNear(t, "red") || (saturated && d.inkNear(t, "magenta"));
        }
        if (!s.validDewp(i)) continue;
        const Point td = d.pixel(s.getDewp(i), s.getPres(i));
        if (d.inside(td, 8)) {
          ++checked;
          inked += d.inkNear(td, "magenta");
        }
      }
      EXPECT_GT(checked, 40) << c.file << " " << names[type];
      EXPECT_EQ(inked, checked) << c.file << " " << names[type];
    }
  }
}

TEST_F(SoundPlotTest, WindBarbsInAColumnAtTheRightEdge)
{
  KOL_REQUIRE_DATA();
  SoundPlot sp = loaded(OUN, "noparcel", "red,magenta,black:w2");
  DiagramPlot d(ThermPlot::SKEWT);
  ASSERT_EQ(sp.draw(d.plot()), 1);
  d.capture("sounding_barbs.png");
  const KOL::Rect clip = d.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
  const int band = static_cast<int>(clip.x2 - 0.12f * (clip.x2 - clip.x1));
  auto inkAt = [&](float p, int x1, int x2) {
    const int y = static_cast<int>(d.pixel(0, p).y);
    return d.countInk(x1, y - 3, x2, y + 3, "black");
  };
  // the mandatory levels all carry winds, and they come first
  for (float p : {925.0f, 850.0f, 700.0f, 500.0f, 300.0f, 200.0f}) {
    EXPECT_GT(inkAt(p, band, static_cast<int>(clip.x2)), 3) << p;
    EXPECT_EQ(inkAt(p, static_cast<int>(clip.x1), band - 60), 0) << "only at the edge: " << p;
  }
  // winds only between 850 and 500 mb: no barb above or below
  UpaData s = sp.getSounding();
  for (int i = 0; i < s.getNum(); ++i)
    if (s.getPres(i) > 850 || s.getPres(i) < 500) s.setDir(i, KOL::Const::FMISS);
  sp.setSounding(s);
  DiagramPlot part(ThermPlot::SKEWT);
  ASSERT_EQ(sp.draw(part.plot()), 1);
  part.capture();
  EXPECT_GT(part.countInk(band, 0, static_cast<int>(clip.x2), part.HEIGHT - 1, "black"), 100);
  for (float p : {1000.0f, 300.0f, 200.0f})
    EXPECT_EQ(
        part.countInk(band, static_cast<int>(part.pixel(0, p).y) - 3, static_cast<int>(clip.x2),
                      static_cast<int>(part.pixel(0, p).y) + 3, "black"),
        0)
        << p;
}

TEST_F(SoundPlotTest, ParcelPathOfTheIndices)
{
  KOL_REQUIRE_DATA();
  KOL::Kol::resrc.set("color_parcel", "orange:w2");
  SoundPlot sp = loaded(OUN, "par=sfc");
  KOL::Kol::resrc.set("color_parcel", "");
  const UpaData& s = sp.getSounding();
  const auto path = sp.parcelPath();
  ASSERT_GT(path.size(), 50u);
  // from the surface parcel to the top of the sounding
  EXPECT_FLOAT_EQ(path.front().second, s.getSfcPres());
  EXPECT_NEAR(path.front().first, s.getTemp(s.getSfc()), 0.01f);
  // the lifted index is the environment minus the parcel at 500 mb
  KOL::ParcelParams pp;
  pp.setType("sfc");
  ASSERT_EQ(pp.calc(s), 1);
  const int i500 = s.findPres(500);
  ASSERT_GE(i500, 0);
  int at500 = 0;
  for (const auto& [t, p] : path) {
    if (p != 500) continue;
    ++at500;
    EXPECT_NEAR(s.getTemp(i500) - t, pp.getLiftedIndex(), 0.05f);
  }
  EXPECT_EQ(at500, 1);
  // drawn where the diagram puts it
  DiagramPlot d(ThermPlot::SKEWT);
  ASSERT_EQ(sp.draw(d.plot()), 1);
  d.capture("sounding_parcel.png");
  int checked = 0, inked = 0;
  for (size_t i = 0; i < path.size(); i += 5) {
    const Point px = d.pixel(path[i].first, path[i].second);
    if (!d.inside(px, 8)) continue;
    ++checked;
    inked += d.inkNear(px, "orange");
  }
  EXPECT_GT(checked, 10);
  EXPECT_GE(inked, checked - 1);

  SoundPlot none = loaded(OUN, "noparcel");
  DiagramPlot n(ThermPlot::SKEWT);
  none.draw(n.plot());
  n.capture();
  EXPECT_EQ(n.countInk("orange"), 0);
}

TEST_F(SoundPlotTest, StationChosenByNumberOrIdentifier)
{
  KOL_REQUIRE_DATA();
  const std::string two = KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt");
  const Date when(2026, 10, 6, 13, 0, 0);
  struct {
    const char* id;
    const char* wmo;
  } cases[] = {{"72440", "72440"}, {"SGF", "72440"}, {"kiad", "72403"}, {"72403", "72403"}};
  for (const auto& c : cases) {
    SoundPlot sp;
    sp.setParam((std::string("id=") + c.id).c_str());
    sp.setFilename(two.c_str());
    ASSERT_EQ(sp.load(when), 1) << c.id << ": " << sp.getProblem();
    EXPECT_STREQ(sp.getSounding().getWmo(), c.wmo) << c.id;
  }
  SoundPlot missing;
  missing.setId("OUN");
  missing.setFilename(two.c_str());
  EXPECT_EQ(missing.load(when), 0);
  EXPECT_NE(missing.getProblem().find("OUN"), std::string::npos) << missing.getProblem();
}

TEST_F(SoundPlotTest, ParameterKeys)
{
  KOL_REQUIRE_DATA();
  SoundPlot sp = loaded(OUN, "diag=teph,par=850:20:10");
  EXPECT_EQ(sp.getDiagram(), ThermPlot::TEPH);
  KOL::Domain d;
  ASSERT_EQ(sp.getDomain(d), 1);
  EXPECT_EQ(d.proj, 43);
  // a given parcel starts where it is told and follows its dry adiabat to its LCL
  const auto path = sp.parcelPath();
  ASSERT_GT(path.size(), 2u);
  EXPECT_FLOAT_EQ(path.front().second, 850);
  EXPECT_FLOAT_EQ(path.front().first, 20);
  EXPECT_NEAR(path[1].first + 273.15f,
              KOL::Calc::tempOnDryAd(KOL::Calc::potTemp(293.15f, 850), path[1].second), 0.01f);
  sp.setParam("diag=nothing");
  EXPECT_EQ(sp.getDiagram(), ThermPlot::SKEWT);
  // a parcel text that is none
  SoundPlot odd = loaded(OUN, "par=sideways");
  EXPECT_TRUE(odd.parcelPath().empty());
}

TEST_F(SoundPlotTest, PilotPartsAddTheirWinds)
{
  KOL_REQUIRE_DATA();
  const std::string temp = KOLTest::dataFile("upperair/ENCODED_72456_TOP_20070504_12Z.txt");
  const std::string pilot = KOLTest::dataFile("upperair/ENCODED_72456_TOP_20070504_12Z.pilot.txt");
  const Date when(2007, 5, 4, 13, 0, 0);
  auto winds = [&](const std::string& files) {
    SoundPlot sp;
    sp.setId("TOP");
    sp.setFilename(files.c_str());
    EXPECT_EQ(sp.load(when), 1) << sp.getProblem();
    const UpaData& s = sp.getSounding();
    int n = 0;
    for (int i = 0; i < s.getNum(); ++i) n += s.validDir(i) && s.validPres(i);
    return n;
  };
  const int temps = winds(temp), both = winds(temp + "\n" + pilot);
  EXPECT_GT(temps, 10);
  // the pilot's levels by height, placed at their pressures
  EXPECT_GT(both, temps + 10);
}

TEST_F(SoundPlotTest, OwnUpperAirFileByNamingConvention)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  ASSERT_EQ(KOLTest::writeOwnOunFile(dir.path()), 0);
  KOL::Kol::resrc.set("con_path", dir.path().c_str());
  SoundPlot sp, latest;
  sp.setId("OUN");
  latest.setId("OUN");
  const bool found = sp.setFilename("#201105221200");
  // the latest file at or before the frame's date
  Date later(2011, 5, 22, 20, 0, 0), earlier(2011, 5, 22, 6, 0, 0);
  const int foundLater = latest.setFilename(later);
  const int foundEarlier = SoundPlot().setFilename(earlier);
  KOL::Kol::resrc.set("con_path", "");
  ASSERT_TRUE(found);
  EXPECT_EQ(foundLater, 1);
  EXPECT_EQ(foundEarlier, 0);
  Date date;
  latest.getDate(date);
  EXPECT_EQ(date.getHour(), 12);
  DiagramPlot d(ThermPlot::SKEWT);
  EXPECT_EQ(latest.draw(d.plot()), 1) << latest.getProblem();
  EXPECT_GT(latest.getSounding().getNum(), 40);
  ASSERT_EQ(sp.load(OUN.reference), 1) << sp.getProblem();
  const SoundPlot parts = loaded(OUN);
  const UpaData &a = sp.getSounding(), &b = parts.getSounding();
  EXPECT_STREQ(a.getWmo(), "72357");
  EXPECT_EQ(a.getDate().getHour(), 12);
  // every level of the own file is one of the parts' (which also hold the levels of the wind
  // section, whose pressures the own file does not keep), with the same temperature; the
  // tropopause's and maximum wind's pressure groups keep only tens of hPa
  auto tolerance = [](const UpaData& d, int i) {
    return d.getType(i) & (KOL::UpaLevel::TROPOPAUSE | KOL::UpaLevel::MAX_WIND) ? 10.0f : 0.0f;
  };
  int same = 0, levels = 0;
  for (int i = 0; i < a.getNum(); ++i) {
    if (!a.validTemp(i)) continue;
    ++levels;
    bool found = false;
    for (int j = 0; j < b.getNum(); ++j)
      found = found || (std::fabs(a.getPres(i) - b.getPres(j)) <= tolerance(a, i) &&
                        std::fabs(a.getTemp(i) - b.getTemp(j)) < 0.11f);
    same += found;
  }
  EXPECT_GT(levels, 45);
  EXPECT_EQ(same, levels);
}

TEST_F(SoundPlotTest, NoUsableSoundingSaysSoOnThePicture)
{
  KOLTest::TempDir dir;
  // a missing file
  SoundPlot none;
  none.setFilename(dir.file("absent.txt").c_str());
  EXPECT_EQ(none.load(Date(2011, 5, 22, 13, 0, 0)), 0);
  EXPECT_NE(none.getProblem().find("absent.txt"), std::string::npos) << none.getProblem();
  // a text that holds no parts at all
  KOLTest::writeFile(dir.file("junk.txt"), "no soundings here\n\x01\x02\xff\n");
  SoundPlot junk;
  junk.setFilename(dir.file("junk.txt").c_str());
  EXPECT_EQ(junk.load(Date(2011, 5, 22, 13, 0, 0)), 0);
  // a part of one level: the surface only
  const std::string one = dir.file("one.txt");
  KOLTest::writeFile(one, "TTAA 72121 72357 99966 22212 18007 88999 77999=\n");
  SoundPlot sp;
  sp.setFilename(one.c_str());
  ASSERT_EQ(sp.load(Date(2011, 5, 22, 13, 0, 0)), 1) << sp.getProblem();
  DiagramPlot d(ThermPlot::SKEWT);
  EXPECT_EQ(sp.draw(d.plot()), 0);
  d.capture("sounding_one_level.png");
  EXPECT_NE(sp.getProblem().find("too few levels"), std::string::npos) << sp.getProblem();
  const Point mid = d.pixel(-40, 325);
  EXPECT_GT(d.countNonWhite(static_cast<int>(mid.x) - 200, static_cast<int>(mid.y) - 15,
                            static_cast<int>(mid.x) + 200, static_cast<int>(mid.y) + 15),
            50)
      << "the note in the middle";
}

}  // namespace
