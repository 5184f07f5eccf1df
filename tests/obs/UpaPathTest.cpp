// Every TEMP and PILOT file of the shared upper-air data through the whole path, against
// upa_temp_ref.py beside this file (an independent reading of the code forms): each part decoded
// alone gives every level the reference reads, with the same values; the merged sounding holds
// each of them at its pressure (or height); and the sounding merged after a trip through the own
// upper-air file is the same sounding, level for level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/String.h"
#include "obs/UpaData.h"
#include "obs/UpaFiles.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

using KOL::Const;
using KOL::UpaData;
using KOL::UpaLevel;
using KOL::UpaRawinData;

constexpr float MISS = Const::FMISS;

// One level the reference read.
struct Ref {
  std::string key, part, kind;
  float pres, hght, temp, dewp, dir, spd;
};

float refValue(const std::string& w) { return w == "-" ? MISS : std::stof(w); }

std::vector<Ref> reference(const std::string& path, int* status)
{
  std::string out = KOLTest::run(
      "python3 " + std::string(KOL_SOURCE_DIR) + "/tests/obs/upa_temp_ref.py " + path, status);
  std::vector<Ref> refs;
  std::istringstream in(out);
  std::string id, time, part, kind, v[6];
  while (in >> id >> time >> part >> kind >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5])
    refs.push_back({id + " " + time, part, kind, refValue(v[0]), refValue(v[1]), refValue(v[2]),
                    refValue(v[3]), refValue(v[4]), refValue(v[5])});
  return refs;
}

struct Decoded {
  std::string key, part;
  UpaRawinData alone;  // the part by itself
};

// Each part decoded alone, and the records of every station and time with all their parts.
void decodeFile(const std::string& path, std::vector<Decoded>& parts,
                std::map<std::string, UpaRawinData>& records)
{
  KOL::UpaWmoFile f;
  f.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  ASSERT_TRUE(f.open(path.c_str())) << path;
  KOL::UpaWmoData part;
  while (f.read(part)) {
    Decoded d{KOL::UpaTool::partKey(part.text), part.text.substr(0, 4), {}};
    KOL::UpaTool::decode(part, d.alone);
    KOL::UpaTool::decode(part, records[d.key]);
    parts.push_back(d);
  }
  for (auto& [key, r] : records) r.sort();
}

bool near(float a, float b, float tolerance)
{
  if (a == MISS || b == MISS) return a == b;
  return std::fabs(a - b) <= tolerance;
}

// What differs between a level and the reference's, as text; speeds in metres per second come
// through a factor of 1.944, so speeds agree to 0.01 kt.
std::string differences(const UpaLevel& l, const Ref& r)
{
  std::ostringstream out;
  auto check = [&](const char* name, float lib, float ref, float tolerance) {
    if (ref != MISS && !near(lib, ref, tolerance)) out << " " << name << " " << lib << "/" << ref;
  };
  check("hght", l.hght, r.hght, 0.01f);
  check("temp", l.temp, r.temp, 0.01f);
  check("dewp", l.dewp, r.dewp, 0.01f);
  check("dir", l.dir, r.dir, 0.01f);
  check("spd", l.spd, r.spd, 0.01f);
  return out.str();
}

// The level of a list at the reference's pressure or (PILOT) height in feet.
const UpaLevel* find(const UpaRawinData& r, char list, const Ref& ref)
{
  auto at = [&](const UpaLevel* l) {
    if (ref.kind == "hwnd") return l->validHght() && std::fabs(l->hght - ref.hght) < 0.5f;
    return !l->validHght() || list != 'w' ? near(l->pres, ref.pres, 0.01f) : false;
  };
  int n = list == 'm' ? r.getNumMan() : list == 's' ? r.getNumSig() : r.getNumWnd();
  for (int i = 0; i < n; ++i) {
    const UpaLevel* l = list == 'm' ? r.getMan(i) : list == 's' ? r.getSig(i) : r.getWnd(i);
    if (at(l)) return l;
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

const auto& FILES = KOLTest::UPA_FILES;

class UpaPathTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override
  {
    KOL_REQUIRE_DATA();
    // The reference reads each file once for all the tests of the file.
    static std::map<std::string, std::vector<Ref>> read;
    path_ = KOLTest::dataFile(std::string("upperair/") + GetParam());
    auto known = read.find(path_);
    if (known == read.end()) {
      if (KOLTest::run("python3 -c 'print(1)'") != "1\n") GTEST_SKIP() << "python3 not available";
      int status = -1;
      known = read.emplace(path_, reference(path_, &status)).first;
      ASSERT_EQ(status, 0);
    }
    refs_ = known->second;
    ASSERT_GT(refs_.size(), 20u) << path_;
    decodeFile(path_, parts_, records_);
  }

  std::string path_;
  std::vector<Ref> refs_;
  std::vector<Decoded> parts_;
  std::map<std::string, UpaRawinData> records_;
};

TEST_P(UpaPathTest, EveryPartGivesTheReferenceLevels)
{
  std::string faults;
  // Per part and list: the levels the reference reads, at distinct pressures or heights.
  std::map<std::string, std::vector<float>> where;
  for (const Ref& ref : refs_) {
    const Decoded* part = nullptr;
    for (const Decoded& d : parts_)
      if (d.key == ref.key && d.part == ref.part) part = &d;
    if (!part) {
      faults += ref.key + " " + ref.part + " not decoded\n";
      continue;
    }
    const char list = listOf(ref.kind);
    std::string at = ref.key + " " + ref.part + " " + ref.kind + " " +
                     std::to_string(ref.kind == "hwnd" ? ref.hght : ref.pres);
    const UpaLevel* l = find(part->alone, list, ref);
    if (!l) {
      faults += at + " missing\n";
      continue;
    }
    std::string diff = differences(*l, ref);
    if (!diff.empty()) faults += at + diff + "\n";
    if (kindBit(ref.kind) && !(l->type & kindBit(ref.kind))) faults += at + " not marked\n";
    auto& seen = where[ref.key + ref.part + list];
    float place = ref.kind == "hwnd" ? ref.hght : ref.pres;
    bool known = false;
    for (float p : seen) known = known || near(p, place, 0.01f);
    if (!known) seen.push_back(place);
  }
  // Nothing beyond what the reference reads (parts A and C also give their surface to the other
  // lists; that is not checked here).
  for (const Decoded& d : parts_) {
    const bool standard = d.part[2] == 'A' || d.part[2] == 'C';
    const bool pilot = d.part[0] == 'P';
    if (standard && !pilot) {
      EXPECT_EQ(d.alone.getNumMan(), static_cast<int>(where[d.key + d.part + 'm'].size()))
          << d.key << " " << d.part;
    }
    if (!standard) {
      EXPECT_EQ(d.alone.getNumSig(), static_cast<int>(where[d.key + d.part + 's'].size()))
          << d.key << " " << d.part;
      EXPECT_EQ(d.alone.getNumWnd(), static_cast<int>(where[d.key + d.part + 'w'].size()))
          << d.key << " " << d.part;
    }
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
  std::string faults;
  for (const auto& [key, record] : records_) {
    UpaData s;
    ASSERT_TRUE(KOL::UpaTool::merge(record, s)) << key;
    // The standard levels, surface, tropopause and maximum wind come first; significant levels
    // and winds fill in what they leave.
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
    std::map<float, std::vector<const Ref*>> first;
    for (const Ref& ref : refs_)
      if (ref.key == key && listOf(ref.kind) == 'm') first[ref.pres].push_back(&ref);
    for (const Ref& ref : refs_) {
      if (ref.key != key || (ref.kind == "hwnd" && ref.hght == 0)) continue;
      int i = mergedAt(s, ref);
      std::string at = key + " " + ref.part + " " + ref.kind + " " +
                       std::to_string(ref.kind == "hwnd" ? ref.hght : ref.pres);
      if (i < 0) {
        faults += at + " not in the sounding\n";
        continue;
      }
      Ref expect = ref;
      if (listOf(ref.kind) != 'm') {
        for (const Ref* m : first[ref.pres]) {
          if (m->temp != MISS) expect.temp = MISS;
          if (m->dewp != MISS) expect.dewp = MISS;
          if (m->dir != MISS) expect.dir = expect.spd = MISS;
        }
      }
      // Heights of standard levels as reported; the rest are computed.
      expect.hght = ref.kind == "std" ? ref.hght : MISS;
      std::string diff = differences(*s.getLevel(i), expect);
      if (!diff.empty()) faults += at + diff + "\n";
    }
  }
  EXPECT_EQ(faults, "") << GetParam();
}

TEST_P(UpaPathTest, OwnFileKeepsTheMergedSounding)
{
  KOLTest::TempDir dir;
  const std::string name = dir.file("round.upa");
  KOL::UpaKolFile out;
  out.setDate(records_.begin()->second.getDate());
  ASSERT_EQ(out.open(name.c_str(), KOL::UpaKolFile::WRITE), 1);
  for (const auto& [key, record] : records_) ASSERT_EQ(out.write(record), 1);
  out.close();

  KOL::UpaKolFile in;
  ASSERT_EQ(in.open(name.c_str(), KOL::UpaKolFile::READ), 1);
  EXPECT_EQ(in.getVersion(), 5);
  EXPECT_EQ(in.getDate().getSeconds(), records_.begin()->second.getDate().getSeconds());
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

INSTANTIATE_TEST_SUITE_P(Files, UpaPathTest, ::testing::ValuesIn(FILES), [](const auto& info) {
  std::string name = info.param;
  std::string out;
  for (char c : name.substr(0, name.find(".txt")))
    out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return out;
});

}  // namespace
