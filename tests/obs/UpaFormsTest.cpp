// The real TEMP and PILOT parts of the shared upper-air set written as other stations and
// sources write them: archive lines, sent from a ship or a mobile station (call sign and position
// groups), PILOT parts whose winds are given by pressure, a PILOT part A with its maximum wind, and
// soundings whose wind sections together are longer than a record holds. Each must give the levels
// the real parts give.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "obs/UpaFiles.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

using KOL::UpaLevel;
using KOL::UpaRawinData;

namespace {

const KOL::Date REFERENCE(2026, 10, 7, 0, 0, 0);

const auto& FILES = KOLTest::UPA_FILES;

// The parts of a file, each as its words from the part word on.
std::vector<std::vector<std::string>> partsOf(const std::string& name)
{
  std::vector<std::vector<std::string>> parts;
  KOL::UpaWmoFile f;
  f.setDate(REFERENCE);
  EXPECT_TRUE(f.open(KOLTest::dataFile("upperair/" + name).c_str())) << name;
  KOL::UpaWmoData part;
  while (f.read(part)) {
    std::istringstream in(part.text);
    parts.emplace_back();
    for (std::string w; in >> w;) parts.back().push_back(w);
  }
  return parts;
}

std::string join(const std::vector<std::string>& w)
{
  std::string out;
  for (const std::string& s : w) out += (out.empty() ? "" : " ") + s;
  return out;
}

void decode(const std::vector<std::string>& part, UpaRawinData& r)
{
  KOL::UpaWmoData w;
  w.text = join(part);
  w.date = REFERENCE;
  KOL::UpaTool::decode(w, r);
}

// The part texts cut from a file.
std::vector<std::string> cutTexts(const std::string& path)
{
  std::vector<std::string> texts;
  KOL::UpaWmoFile f;
  f.setDate(REFERENCE);
  EXPECT_TRUE(f.open(path.c_str())) << path;
  KOL::UpaWmoData part;
  while (f.read(part)) texts.push_back(part.text);
  return texts;
}

// Levels of one list, as text, for a readable difference.
std::string levels(const UpaRawinData& r, char list)
{
  std::ostringstream out;
  int n = list == 'm' ? r.getNumMan() : list == 's' ? r.getNumSig() : r.getNumWnd();
  for (int i = 0; i < n; ++i) {
    const UpaLevel* l = list == 'm' ? r.getMan(i) : list == 's' ? r.getSig(i) : r.getWnd(i);
    out << l->type << ":" << l->pres << ":" << l->hght << ":" << l->temp << ":" << l->dewp << ":"
        << l->dir << ":" << l->spd << " ";
  }
  return out.str();
}

void expectSameLevels(const UpaRawinData& a, const UpaRawinData& b, const std::string& what)
{
  for (char list : {'m', 's', 'w'}) EXPECT_EQ(levels(a, list), levels(b, list)) << what;
  EXPECT_EQ(a.getSfc(), b.getSfc()) << what;
  EXPECT_EQ(a.getTrop(), b.getTrop()) << what;
  EXPECT_EQ(a.getMaxWnd(), b.getMaxWnd()) << what;
}

TEST(UpaFormsTest, ArchiveLinesGiveTheSameParts)
{
  KOL_REQUIRE_DATA();
  // Archives write each part on a line of its own after its time: a word of twelve figures, or
  // station and date fields ending in a comma.
  KOLTest::TempDir dir;
  for (const char* file : FILES) {
    std::vector<std::string> want;
    std::string timeWord, fields;
    for (const std::vector<std::string>& part : partsOf(file)) {
      want.push_back(join(part));
      timeWord += "202610061200 " + join(part) + "=\n";
      fields += part[2] + ",2026,10,06,12,00," + join(part) + "=\n";
    }
    ASSERT_FALSE(want.empty()) << file;
    for (const std::string& text : {timeWord, fields}) {
      KOLTest::writeFile(dir.file("archive.txt"), text);
      EXPECT_EQ(cutTexts(dir.file("archive.txt")), want) << file << "\n" << text.substr(0, 80);
    }
  }
}

TEST(UpaFormsTest, ShipAndMobilePartsGiveTheLandLevels)
{
  KOL_REQUIRE_DATA();
  // 45.1 N 26.2 E (Qc 1), 34.5 S 15.2 W (Qc 5), 38.8 N 77.1 W (Qc 7), 12.3 S 145.6 E (Qc 3).
  const struct {
    const char *lat, *lon;
    float la, lo;
  } places[] = {{"99451", "10262", 45.1f, 26.2f},
                {"99345", "50152", -34.5f, -15.2f},
                {"99388", "70771", 38.8f, -77.1f},
                {"99123", "31456", -12.3f, 145.6f}};
  int n = 0;
  for (const char* file : FILES) {
    for (const std::vector<std::string>& part : partsOf(file)) {
      if (part.size() < 4 || part[0].compare(0, 2, "TT") != 0) continue;
      UpaRawinData land;
      decode(part, land);
      const auto& at = places[n++ % 4];
      for (const char* kind : {"UU", "II"}) {
        // UUxx D..D YYGGId 99LaLaLa QcLoLoLoLo MMMULaULo [h0h0h0h0im] and the levels.
        bool mobile = kind[0] == 'I';
        std::vector<std::string> moving = {
            kind + part[0].substr(2), "C6FM9", part[1], at.lat, at.lon, "12345"};
        if (mobile) moving.push_back("01504");
        moving.insert(moving.end(), part.begin() + 3, part.end());
        UpaRawinData r;
        decode(moving, r);
        std::string what = file + (" " + join(moving).substr(0, 60));
        expectSameLevels(land, r, what);
        EXPECT_STREQ(r.getId(), "C6FM9") << what;
        EXPECT_STREQ(r.getWmo(), "99999") << what;
        EXPECT_STREQ(r.getArea(), mobile ? "MO" : "SH") << what;
        EXPECT_FLOAT_EQ(r.getLat(), at.la) << what;
        EXPECT_FLOAT_EQ(r.getLon(), at.lo) << what;
        EXPECT_EQ(r.getDate().getSeconds(), land.getDate().getSeconds()) << what;
      }
    }
  }
  EXPECT_GE(n, 25);
}

// The 21212 section of a TEMP part B or D, from the group after "21212" to its end.
std::vector<std::string> windSection(const std::vector<std::string>& part)
{
  size_t i = 0;
  while (i < part.size() && part[i] != "21212") ++i;
  std::vector<std::string> out;
  for (++i; i + 1 < part.size(); i += 2) {
    if (part[i].size() != 5 || part[i][0] != part[i][1]) break;
    out.push_back(part[i]);
    out.push_back(part[i + 1]);
  }
  return out;
}

TEST(UpaFormsTest, PilotWindsByPressureGiveTheTempWinds)
{
  KOL_REQUIRE_DATA();
  // Stations that find their winds by pressure send them in PILOT parts B and D as the
  // TEMP's 21212 section: PPBB YYGGa4 IIiii 21212 nnPPP dddff ...
  int n = 0;
  for (const char* file : FILES) {
    for (const std::vector<std::string>& part : partsOf(file)) {
      bool bd = part[0] == "TTBB" || part[0] == "TTDD";
      std::vector<std::string> winds = windSection(part);
      if (!bd || winds.empty()) continue;
      std::vector<std::string> temp = {part[0], part[1], part[2], "21212"};
      temp.insert(temp.end(), winds.begin(), winds.end());
      std::vector<std::string> pilot = temp;
      pilot[0] = part[0] == "TTBB" ? "PPBB" : "PPDD";
      UpaRawinData fromTemp, fromPilot;
      decode(temp, fromTemp);
      decode(pilot, fromPilot);
      EXPECT_EQ(fromPilot.getNumWnd(), static_cast<int>(winds.size() / 2)) << file;
      EXPECT_EQ(levels(fromTemp, 'w'), levels(fromPilot, 'w')) << file << " " << part[0];
      ++n;
    }
  }
  EXPECT_GE(n, 8);
}

TEST(UpaFormsTest, PilotPartAKeepsItsMaximumWind)
{
  KOL_REQUIRE_DATA();
  // The real 72403 part A as a PILOT part A: its standard-level winds as 44nPP groups, then its
  // maximum wind group (77PPP dddff 4vbva).
  std::vector<std::string> ttaa;
  for (const auto& part : partsOf("real_USUS01_KWBC_061200_72403_72440.txt"))
    if (part[0] == "TTAA" && part[2] == "72403") ttaa = part;
  ASSERT_FALSE(ttaa.empty());
  UpaRawinData temp;
  decode(ttaa, temp);
  ASSERT_NE(temp.getMaxWnd(), KOL::Const::MISS);
  // 1000 925 850 700 500 | 400 300 250 200 150 | 100 hPa: each level is PPhhh TTTDD dddff.
  std::vector<std::string> winds;
  size_t i = 3 + 3;  // past the surface
  for (int k = 0; k < 11; ++k, i += 3) winds.push_back(ttaa[i + 2]);
  std::vector<std::string> ppaa = {"PPAA", ttaa[1], ttaa[2], "44500"};
  ppaa.insert(ppaa.end(), winds.begin(), winds.begin() + 5);
  ppaa.push_back("44540");
  ppaa.insert(ppaa.end(), winds.begin() + 5, winds.begin() + 10);
  ppaa.push_back("44110");
  ppaa.push_back(winds[10]);
  for (size_t k = 0; k < ttaa.size(); ++k)
    if (ttaa[k].compare(0, 2, "77") == 0)
      ppaa.insert(ppaa.end(), ttaa.begin() + k, ttaa.begin() + k + 3);
  UpaRawinData pilot;
  decode(ppaa, pilot);
  ASSERT_NE(pilot.getMaxWnd(), KOL::Const::MISS) << join(ppaa);
  const UpaLevel* a = temp.getMan(temp.getMaxWnd());
  const UpaLevel* b = pilot.getMan(pilot.getMaxWnd());
  EXPECT_FLOAT_EQ(b->pres, a->pres);
  EXPECT_FLOAT_EQ(b->dir, a->dir);
  EXPECT_FLOAT_EQ(b->spd, a->spd);
  // And every standard level's wind.
  for (int k = 0; k < temp.getNumMan(); ++k) {
    const UpaLevel* t = temp.getMan(k);
    if (!(t->type & UpaLevel::MANDATORY) || (t->type & UpaLevel::SURFACE) || !t->validWind())
      continue;
    int j = pilot.getManPr(t->pres);
    ASSERT_GE(j, 0) << t->pres;
    EXPECT_FLOAT_EQ(pilot.getMan(j)->dir, t->dir) << t->pres;
    EXPECT_FLOAT_EQ(pilot.getMan(j)->spd, t->spd) << t->pres;
  }
}

TEST(UpaFormsTest, AFullWindListIsSaidInOneLine)
{
  KOL_REQUIRE_DATA();
  // Every part B and D and every PILOT part of the set sent under one station: more wind levels
  // than a record holds. The record keeps as many as it can, and each part that could not be
  // kept whole says so in one line.
  std::vector<std::vector<std::string>> parts;
  for (const char* file : FILES)
    for (auto& part : partsOf(file))
      if (part[0][2] == 'B' || part[0][2] == 'D' || part[0][0] == 'P') parts.push_back(part);
  std::set<std::string> distinct;
  UpaRawinData r;
  ::testing::internal::CaptureStderr();
  for (auto& part : parts) {
    part[2] = "72440";
    UpaRawinData alone;
    decode(part, alone);
    for (int i = 0; i < alone.getNumWnd(); ++i) {
      const UpaLevel* l = alone.getWnd(i);
      distinct.insert(l->validHght() ? "h" + std::to_string(l->hght)
                                     : "p" + std::to_string(static_cast<int>(l->pres * 10 + 0.5f)));
    }
    decode(part, r);
  }
  std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_GT(distinct.size(), static_cast<size_t>(UpaRawinData::MAX_WND));
  EXPECT_EQ(r.getNumWnd(), UpaRawinData::MAX_WND);
  std::istringstream lines(said);
  int n = 0;
  for (std::string line; std::getline(lines, line); ++n)
    EXPECT_EQ(line.rfind("UpaTool::decode: ", 0), 0u) << line;
  EXPECT_GE(n, 1);
  EXPECT_LE(n, static_cast<int>(parts.size()));
  // The own file keeps them all.
  KOLTest::TempDir dir;
  std::string path = dir.file("long.upa");
  {
    KOL::UpaKolFile out;
    ASSERT_TRUE(out.open(path.c_str(), 1));
    out.setDate(REFERENCE);
    ASSERT_TRUE(out.write(r));
  }
  KOL::UpaKolFile in;
  ASSERT_TRUE(in.open(path.c_str(), 0));
  UpaRawinData back;
  ASSERT_TRUE(in.read(back));
  EXPECT_EQ(back.getNumWnd(), r.getNumWnd());
}

}  // namespace
