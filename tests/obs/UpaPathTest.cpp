// Every TEMP and PILOT file of the shared upper-air data, part by part, merged, filed and indexed,
// against upa_temp_ref.py and upa_indices_ref.py beside this file and other decoders' tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/String.h"
#include "obs/ParcelParams.h"
#include "obs/SoundParams.h"
#include "obs/UpaCalc.h"
#include "obs/UpaData.h"
#include "obs/UpaFiles.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

using KOL::UpaData;
using KOL::UpaLevel;
using KOL::UpaRawinData;

constexpr float MISS = KOL::Const::FMISS;

// One level the reference read.
struct Ref {
  std::string key, part, kind;
  float pres, hght, temp, dewp, dir, spd;
  float place() const { return kind == "hwnd" ? hght : pres; }
};

std::vector<Ref> reference(const std::string& path, int* status)
{
  std::string out = KOLTest::run(
      "python3 " + std::string(KOL_SOURCE_DIR) + "/tests/obs/upa_temp_ref.py " + path, status);
  auto value = [](const std::string& w) { return w == "-" ? MISS : std::stof(w); };
  std::vector<Ref> refs;
  std::istringstream in(out);
  std::string id, time, part, kind, v[6];
  while (in >> id >> time >> part >> kind >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5])
    refs.push_back({id + " " + time, part, kind, value(v[0]), value(v[1]), value(v[2]), value(v[3]),
                    value(v[4]), value(v[5])});
  return refs;
}

bool near(float a, float b, float tolerance)
{
  return a == MISS || b == MISS ? a == b : std::fabs(a - b) <= tolerance;
}

// What differs from the reference's values that are not missing, as text (all to 0.01).
std::string differences(const UpaLevel& l, const Ref& r)
{
  std::ostringstream out;
  const float lib[] = {l.hght, l.temp, l.dewp, l.dir, l.spd};
  const float ref[] = {r.hght, r.temp, r.dewp, r.dir, r.spd};
  for (int k = 0; k < 5; ++k)
    if (ref[k] != MISS && !near(lib[k], ref[k], 0.01f))
      out << " " << k << ": " << lib[k] << "/" << ref[k];
  return out.str();
}

int count(const UpaRawinData& r, char list)
{
  return list == 'm' ? r.getNumMan() : list == 's' ? r.getNumSig() : r.getNumWnd();
}
const UpaLevel* at(const UpaRawinData& r, char list, int i)
{
  return list == 'm' ? r.getMan(i) : list == 's' ? r.getSig(i) : r.getWnd(i);
}

// The level of a list at the reference's pressure or (PILOT) height in feet.
const UpaLevel* find(const UpaRawinData& r, char list, const Ref& ref)
{
  for (int i = 0; i < count(r, list); ++i) {
    const UpaLevel* l = at(r, list, i);
    if (ref.kind == "hwnd" ? l->validHght() && std::fabs(l->hght - ref.hght) < 0.5f
                           : (!l->validHght() || list != 'w') && near(l->pres, ref.pres, 0.01f))
      return l;
  }
  return nullptr;
}

char listOf(const std::string& kind)
{
  return kind == "sig" ? 's' : kind == "wnd" || kind == "hwnd" ? 'w' : 'm';
}

int kindBit(const std::string& kind)
{
  return kind == "sfc"    ? UpaLevel::SURFACE
         : kind == "trop" ? UpaLevel::TROPOPAUSE
         : kind == "maxw" ? UpaLevel::MAX_WIND
                          : 0;
}

struct Decoded {
  std::string key, part;
  UpaRawinData alone;              // the part by itself
  std::vector<std::string> words;  // from the part word on
};

const KOL::Date REFERENCE(2026, 10, 7, 0, 0, 0);

std::vector<std::string> split(const std::string& text)
{
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string join(const std::vector<std::string>& w)
{
  std::string out;
  for (const std::string& s : w) out += (out.empty() ? "" : " ") + s;
  return out;
}

// The part texts cut from a file.
std::vector<std::string> cut(const std::string& path)
{
  std::vector<std::string> texts;
  KOL::UpaWmoFile f;
  f.setDate(REFERENCE);
  EXPECT_TRUE(f.open(path.c_str())) << path;
  KOL::UpaWmoData part;
  while (f.read(part)) texts.push_back(part.text);
  return texts;
}

void decode(const std::vector<std::string>& part, UpaRawinData& r)
{
  KOL::UpaWmoData w;
  w.text = join(part);
  w.date = REFERENCE;
  KOL::UpaTool::decode(w, r);
}

class UpaPathTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Each part decoded alone, and the records of every station and time with all their parts.
  void SetUp() override
  {
    KOL_REQUIRE_DATA();
    path_ = KOLTest::dataFile(std::string("upperair/") + GetParam());
    KOL::UpaWmoFile f;
    f.setDate(REFERENCE);
    ASSERT_TRUE(f.open(path_.c_str())) << path_;
    KOL::UpaWmoData part;
    while (f.read(part)) {
      Decoded d{KOL::UpaTool::partKey(part.text), part.text.substr(0, 4), {}, split(part.text)};
      KOL::UpaTool::decode(part, d.alone);
      KOL::UpaTool::decode(part, records_[d.key]);
      parts_.push_back(d);
    }
    for (auto& [key, r] : records_) r.sort();
  }
  // The reference reads each file once for all the tests of the file.
  void readReference()
  {
    static std::map<std::string, std::vector<Ref>> read;
    auto known = read.find(path_);
    if (known == read.end()) {
      if (KOLTest::run("python3 -c 'print(1)'") != "1\n") GTEST_SKIP() << "python3 not available";
      int status = -1;
      known = read.emplace(path_, reference(path_, &status)).first;
      ASSERT_EQ(status, 0);
    }
    refs_ = known->second;
    ASSERT_GT(refs_.size(), 20u) << path_;
  }

  std::string path_;
  std::vector<Ref> refs_;
  std::vector<Decoded> parts_;
  std::map<std::string, UpaRawinData> records_;
};

TEST_P(UpaPathTest, EveryPartGivesTheReferenceLevels)
{
  ASSERT_NO_FATAL_FAILURE(readReference());
  if (IsSkipped()) return;
  std::string faults;
  // Per part and list: the distinct places of the levels the reference reads.
  std::map<std::string, std::vector<float>> where;
  for (const Ref& ref : refs_) {
    auto part = std::find_if(parts_.begin(), parts_.end(), [&](const Decoded& d) {
      return d.key == ref.key && d.part == ref.part;
    });
    const std::string at =
        ref.key + " " + ref.part + " " + ref.kind + " " + std::to_string(ref.place());
    const char list = listOf(ref.kind);
    const UpaLevel* l = part == parts_.end() ? nullptr : find(part->alone, list, ref);
    if (!l) {
      faults += at + " missing\n";
      continue;
    }
    faults += differences(*l, ref).empty() ? "" : at + differences(*l, ref) + "\n";
    if (kindBit(ref.kind) && !(l->type & kindBit(ref.kind))) faults += at + " not marked\n";
    auto& seen = where[ref.key + ref.part + list];
    if (std::none_of(seen.begin(), seen.end(),
                     [&](float p) { return near(p, ref.place(), 0.01f); }))
      seen.push_back(ref.place());
  }
  // Nothing beyond what the reference reads (but the surface that parts A and C give).
  for (const Decoded& d : parts_) {
    const bool standard = d.part[2] == 'A' || d.part[2] == 'C';
    for (char list : std::string(standard ? (d.part[0] == 'P' ? "" : "m") : "sw"))
      EXPECT_EQ(count(d.alone, list), static_cast<int>(where[d.key + d.part + list].size()))
          << d.key << " " << d.part << " " << list;
  }
  EXPECT_EQ(faults, "") << GetParam();
}

// A level of the merged sounding at the reference's place: its pressure, or its PILOT height.
int mergedAt(const UpaData& s, const Ref& ref)
{
  for (int i = 0; i < s.getNum(); ++i) {
    const UpaLevel& l = *s.getLevel(i);
    if (ref.kind == "hwnd"
            ? l.validHght() && ref.hght > 0 && std::fabs(l.hght - ref.hght * 0.3048f) < 0.5f
            : near(l.pres, ref.pres, 0.01f))
      return i;
  }
  return -1;
}

TEST_P(UpaPathTest, MergedSoundingHoldsEveryLevel)
{
  ASSERT_NO_FATAL_FAILURE(readReference());
  if (IsSkipped()) return;
  std::string faults;
  for (const auto& [key, record] : records_) {
    UpaData s;
    ASSERT_TRUE(KOL::UpaTool::merge(record, s)) << key;
    // The lowest of each special kind is the one the sounding marks.
    for (const char* kind : {"sfc", "trop", "maxw"}) {
      float lowest = MISS;
      for (const Ref& ref : refs_)
        if (ref.key == key && ref.kind == kind) lowest = std::max(lowest, ref.pres);
      const float marked = *kind == 's'   ? s.getSfcPres()
                           : *kind == 't' ? s.getTropPres()
                                          : s.getMaxWndPres();
      if (lowest != MISS && !near(marked, lowest, 0.01f))
        faults += key + " " + kind + " at " + std::to_string(marked) + "\n";
    }
    // The standard levels, surface, tropopause and maximum wind come first; significant levels
    // and winds fill in what they leave.
    std::map<float, std::vector<const Ref*>> first;
    for (const Ref& ref : refs_)
      if (ref.key == key && listOf(ref.kind) == 'm') first[ref.pres].push_back(&ref);
    for (const Ref& ref : refs_) {
      if (ref.key != key || (ref.kind == "hwnd" && ref.hght == 0)) continue;
      const int i = mergedAt(s, ref);
      const std::string at =
          key + " " + ref.part + " " + ref.kind + " " + std::to_string(ref.place());
      if (i < 0) {
        faults += at + " not in the sounding\n";
        continue;
      }
      Ref expect = ref;
      for (const Ref* m : listOf(ref.kind) != 'm' ? first[ref.pres] : std::vector<const Ref*>()) {
        if (m->temp != MISS) expect.temp = MISS;
        if (m->dewp != MISS) expect.dewp = MISS;
        if (m->dir != MISS) expect.dir = expect.spd = MISS;
      }
      // Heights of standard levels as reported; the rest are computed.
      expect.hght = ref.kind == "std" ? ref.hght : MISS;
      const std::string diff = differences(*s.getLevel(i), expect);
      if (!diff.empty()) faults += at + diff + "\n";
    }
  }
  EXPECT_EQ(faults, "") << GetParam();
}

// Another decoder's table at each pressure of the merged sounding, within the code's resolution;
// heights within 1 m where reported and 10 m where computed (up to 100 hPa).
std::string tableOf(const std::string& name)
{
  return KOLTest::dataFile("upperair/" + name.substr(0, name.find('.')) + ".table.txt");
}

TEST_P(UpaPathTest, MergedSoundingAgreesWithTheDecodedTable)
{
  const std::string name = GetParam();
  const auto rows = KOLTest::readUpaTable(tableOf(name));
  if (rows.empty()) GTEST_SKIP() << "no decoded table beside " << name;
  // The real 83779 table comes from a decoder that lists other wind levels than 21212 sections.
  const bool section_winds = name.find("83779") == std::string::npos;
  int checked = 0;
  std::ostringstream faults;
  for (const auto& [key, r] : records_) {
    UpaData d;
    ASSERT_TRUE(KOL::UpaTool::merge(r, d));
    for (int i = 0; i < d.getNum(); ++i) {
      const UpaLevel& l = *d.getLevel(i);
      // PILOT levels by height, the rest by pressure.
      const bool by_height = l.type == UpaLevel::WIND && l.validHght() && !l.validTemp();
      auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& t) {
        return by_height ? t.hght != MISS && std::fabs(t.hght - l.hght) <= 2
                         : l.validPres() && std::fabs(t.pres - l.pres) <= 0.05f;
      });
      if (row == rows.end()) continue;
      ++checked;
      const float turn = std::fabs(l.dir - row->dir);
      const bool reported = (l.type & UpaLevel::MANDATORY) && !(l.type & UpaLevel::SURFACE);
      const float hght_tolerance = reported ? 1 : l.pres >= 100 ? 10 : 1e9;
      if ((l.validTemp() && std::fabs(l.temp - row->temp) > 0.11f) ||
          (l.validDewp() && row->dewp != MISS &&
           std::fabs(l.dewp - row->dewp) > (l.temp - l.dewp > 5.05f ? 0.61f : 0.21f)) ||
          (l.validWind() && l.spd > 0 && row->dir != MISS &&
           (section_winds || (l.type & UpaLevel::MANDATORY)) &&
           (std::min(turn, 360 - turn) > 5 || std::fabs(l.spd - row->spd) > 1)) ||
          (l.validHght() && row->hght != MISS && std::fabs(l.hght - row->hght) > hght_tolerance))
        faults << key << " " << l.pres << ": " << l.hght << " " << l.temp << " " << l.dewp << " "
               << l.dir << " " << l.spd << " table " << row->hght << " " << row->temp << " "
               << row->dewp << " " << row->dir << " " << row->spd << "\n";
    }
  }
  EXPECT_EQ(faults.str(), "") << name;
  EXPECT_GT(checked, 20) << name;
}

// The indices of the table's sounding, set level by level, against upa_indices_ref.py under both
// rules for the end of the positive area.
TEST_P(UpaPathTest, IndicesOfTheTableAgreeWithTheReference)
{
  const std::string name = GetParam(), table = tableOf(name);
  KOL::UpaData s;
  for (const KOLTest::UpaTableRow& r : KOLTest::readUpaTable(table)) {
    const int i = s.getNum();
    s.setNum(i + 1);
    s.setPres(i, r.pres);
    s.setHght(i, r.hght);
    s.setTemp(i, r.temp);
    s.setDewp(i, r.dewp);
    s.setDir(i, r.dir);
    s.setSpd(i, r.spd);
  }
  if (s.getNum() == 0 || name.find(".pilot") != std::string::npos) GTEST_SKIP() << "no table";
  int status = -1;
  std::istringstream out(KOLTest::run(
      "python3 " + std::string(KOL_SOURCE_DIR) + "/tests/obs/upa_indices_ref.py " + table,
      &status));
  ASSERT_EQ(status, 0);
  std::map<std::string, double> ref;
  std::string key;
  for (double v; out >> key >> v;) ref[key] = v;
  ASSERT_GT(ref.size(), 8u);
  KOL::ParcelParams part, top;
  top.setHighestEl(true);
  part.calc(s);
  top.calc(s);
  KOL::SoundParams sp;
  sp.calc(s);
  const struct {
    const char* name;
    float value, tolerance;
  } checks[] = {{"tt", KOL::UpaCalc::totalTotals(s), 0.01f},
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
                {"wbz_hPa", sp.getWetBulbZero().pres, 0.2f}};
  for (const auto& c : checks) {
    auto found = ref.find(c.name);
    EXPECT_NEAR(c.value, found == ref.end() ? MISS : found->second, c.tolerance) << c.name;
  }
}

TEST_P(UpaPathTest, OwnFileKeepsTheMergedSounding)
{
  KOLTest::TempDir dir;
  const std::string name = dir.file("round.upa");
  const KOL::Date date = records_.begin()->second.getDate();
  KOL::UpaKolFile out;
  out.setDate(date);
  ASSERT_EQ(out.open(name.c_str(), KOL::UpaKolFile::WRITE), 1);
  for (const auto& [key, record] : records_) ASSERT_EQ(out.write(record), 1);
  out.close();

  KOL::UpaKolFile in;
  ASSERT_EQ(in.open(name.c_str(), KOL::UpaKolFile::READ), 1);
  EXPECT_EQ(in.getVersion(), 5);
  EXPECT_EQ(in.getDate().getSeconds(), date.getSeconds());
  for (const auto& [key, record] : records_) {
    UpaRawinData back;
    ASSERT_EQ(in.read(back), 1) << key;
    UpaData before, after;
    KOL::UpaTool::merge(record, before);
    KOL::UpaTool::merge(back, after);
    ASSERT_EQ(after.getNum(), before.getNum()) << key;
    EXPECT_EQ(after.getSfcPres(), before.getSfcPres()) << key;
    EXPECT_EQ(after.getTropPres(), before.getTropPres()) << key;
    EXPECT_EQ(after.getMaxWndPres(), before.getMaxWndPres()) << key;
    for (int i = 0; i < before.getNum(); ++i) {
      const UpaLevel &b = *before.getLevel(i), &a = *after.getLevel(i);
      // The file holds depressions up to 48 C.
      const float dry = b.dewp != MISS && b.temp - b.dewp > 48.5f ? 1.01f : 0.001f;
      EXPECT_TRUE(near(a.pres, b.pres, 0.001f) && near(a.hght, b.hght, 0.5f) &&
                  near(a.temp, b.temp, 0.001f) && near(a.dewp, b.dewp, dry) &&
                  near(a.dir, b.dir, 0.001f) && near(a.spd, b.spd, 0.001f))
          << key << " level " << i << " at " << b.pres << " hPa";
    }
  }
  UpaRawinData extra;
  EXPECT_EQ(in.read(extra), 0);
  ASSERT_EQ(in.rewind(), 1);
  KOL::String id;
  ASSERT_EQ(in.readId(id), 1);
  EXPECT_STREQ(id.get(), records_.begin()->second.getId());
}

// Levels of one list, as text, for a readable difference.
std::string levels(const UpaRawinData& r, char list)
{
  std::ostringstream out;
  for (int i = 0; i < count(r, list); ++i) {
    const UpaLevel* l = at(r, list, i);
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

TEST_P(UpaPathTest, ArchiveLinesGiveTheSameParts)
{
  // Archives write each part on a line after its time: twelve figures, or fields and a comma.
  KOLTest::TempDir dir;
  std::vector<std::string> want;
  std::string timeWord, fields;
  for (const Decoded& d : parts_) {
    want.push_back(join(d.words));
    timeWord += "202610061200 " + join(d.words) + "=\n";
    fields += d.words[2] + ",2026,10,06,12,00," + join(d.words) + "=\n";
  }
  ASSERT_FALSE(want.empty());
  for (const std::string& text : {timeWord, fields}) {
    KOLTest::writeFile(dir.file("archive.txt"), text);
    EXPECT_EQ(cut(dir.file("archive.txt")), want) << text.substr(0, 80);
  }
}

TEST_P(UpaPathTest, ShipAndMobilePartsGiveTheLandLevels)
{
  // 45.1 N 26.2 E (Qc 1), 34.5 S 15.2 W (Qc 5), 38.8 N 77.1 W (Qc 7), 12.3 S 145.6 E (Qc 3).
  const struct {
    const char *lat, *lon;
    float la, lo;
  } places[] = {{"99451", "10262", 45.1f, 26.2f},
                {"99345", "50152", -34.5f, -15.2f},
                {"99388", "70771", 38.8f, -77.1f},
                {"99123", "31456", -12.3f, 145.6f}};
  int n = 0;
  for (const Decoded& d : parts_) {
    const std::vector<std::string>& part = d.words;
    if (part.size() < 4 || part[0].compare(0, 2, "TT") != 0) continue;
    UpaRawinData land;
    decode(part, land);
    const auto& place = places[n++ % 4];
    for (const char* kind : {"UU", "II"}) {
      // UUxx D..D YYGGId 99LaLaLa QcLoLoLoLo MMMULaULo [h0h0h0h0im] and the levels.
      bool mobile = kind[0] == 'I';
      std::vector<std::string> moving = {
          kind + part[0].substr(2), "C6FM9", part[1], place.lat, place.lon, "12345"};
      if (mobile) moving.push_back("01504");
      moving.insert(moving.end(), part.begin() + 3, part.end());
      UpaRawinData r;
      decode(moving, r);
      std::string what = join(moving).substr(0, 60);
      expectSameLevels(land, r, what);
      EXPECT_EQ(std::string(r.getId()) + r.getWmo() + r.getArea(),
                std::string("C6FM999999") + (mobile ? "MO" : "SH"))
          << what;
      EXPECT_FLOAT_EQ(r.getLat(), place.la) << what;
      EXPECT_FLOAT_EQ(r.getLon(), place.lo) << what;
      EXPECT_EQ(r.getDate().getSeconds(), land.getDate().getSeconds()) << what;
    }
  }
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

TEST_P(UpaPathTest, PilotWindsByPressureGiveTheTempWinds)
{
  // Stations that find their winds by pressure send them in PILOT parts B and D as the
  // TEMP's 21212 section: PPBB YYGGa4 IIiii 21212 nnPPP dddff ...
  for (const Decoded& d : parts_) {
    const std::vector<std::string>& part = d.words;
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
    EXPECT_EQ(fromPilot.getNumWnd(), static_cast<int>(winds.size() / 2));
    EXPECT_EQ(levels(fromTemp, 'w'), levels(fromPilot, 'w')) << part[0];
  }
}

// The standard levels' winds and the maximum wind of a record, as text.
std::string winds(const UpaRawinData& r)
{
  std::ostringstream out;
  for (int k = 0; k < r.getNumMan(); ++k) {
    const UpaLevel& l = *r.getMan(k);
    if (l.validWind() && !(l.type & UpaLevel::SURFACE) &&
        (l.type & (UpaLevel::MANDATORY | UpaLevel::MAX_WIND)))
      out << l.pres << (l.type & UpaLevel::MAX_WIND ? " max " : " ") << l.dir << "/" << l.spd
          << "\n";
  }
  return out.str();
}

TEST(UpaFormsTest, PilotPartAKeepsItsMaximumWind)
{
  KOL_REQUIRE_DATA();
  // The real 72403 part A as a PILOT part A: its winds in 44nP1P1 groups, then its 77PPP group.
  std::vector<std::string> ttaa;
  for (const std::string& text :
       cut(KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt")))
    if (text.rfind("TTAA 56121 72403", 0) == 0) ttaa = split(text);
  ASSERT_FALSE(ttaa.empty());
  std::vector<std::string> ppaa = {"PPAA", ttaa[1], ttaa[2]};
  const char* const starts[] = {"44500", "44540", "44110"};  // 1000, 400 and 100 hPa
  for (int k = 0; k < 11; ++k) {
    if (k % 5 == 0) ppaa.push_back(starts[k / 5]);
    ppaa.push_back(ttaa[6 + 3 * k + 2]);
  }
  for (size_t k = 0; k < ttaa.size(); ++k)
    if (ttaa[k].compare(0, 2, "77") == 0)
      ppaa.insert(ppaa.end(), ttaa.begin() + k, ttaa.begin() + k + 3);
  UpaRawinData temp, pilot;
  decode(ttaa, temp);
  decode(ppaa, pilot);
  ASSERT_NE(temp.getMaxWnd(), KOL::Const::MISS);
  EXPECT_EQ(winds(pilot), winds(temp)) << join(ppaa);
}

INSTANTIATE_TEST_SUITE_P(Files, UpaPathTest, ::testing::ValuesIn(KOLTest::UPA_FILES),
                         [](const auto& info) {
                           const std::string name = info.param;
                           std::string out;
                           for (char c : name.substr(0, name.find(".txt")))
                             out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return out;
                         });

}  // namespace
