// Radar volumes against an independent reader's figures (radials, RDA status, adaptation data,
// cut times), damage, the beam geometry, kolrad's listing and description.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Expected.h"
#include "core/Kol.h"
#include "imagery/Lev2Data.h"
#include "imagery/Lev2File.h"
#include "imagery/lev2/Container.h"

using KOL::Lev2Data;
using KOL::Lev2File;
using nlohmann::json;

namespace {

class Lev2Volumes : public KOLTest::QuietTest {};

std::vector<std::string> volumes() { return KOLTest::filesWithExpected("level2"); }

// Relative to the size of the figure: the reader rounds to 6 significant digits.
void expectNear6(double got, const json& want, const char* what)
{
  const double w = want.get<double>();
  EXPECT_NEAR(got, w, 1e-5 * std::max(1.0, std::fabs(w)) + 1e-6) << what;
}

std::vector<std::string> lines(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

long codeSum(const Lev2Data& d, int k)
{
  long sum = 0;
  const KOL::Lev2Moment& m = d.getMoment(k);
  for (int j = 0; j < d.getNumRadials(); ++j)
    for (int i = 0; i < m.gates; ++i) sum += d.getCode(k, i, j);
  return sum;
}

void checkMoment(const Lev2Data& d, const std::string& name, const json& m)
{
  SCOPED_TRACE(name);
  const int k = d.findMoment(name.c_str());
  ASSERT_GE(k, 0);
  const KOL::Lev2Moment& got = d.getMoment(k);
  EXPECT_EQ(got.radials, m["radials"].get<int>());
  EXPECT_EQ(got.gates,
            m["gates"].is_object() ? m["gates"]["max"].get<int>() : m["gates"].get<int>());
  EXPECT_EQ(got.firstGate, m["first_gate_m"].get<float>());
  EXPECT_EQ(got.spacing, m["gate_spacing_m"].get<float>());
  EXPECT_EQ(got.wordSize, m["word_size"].get<int>());
  for (auto [v, key] : {std::pair{got.scale, "scale"}, {got.offset, "offset"}})
    expectNear6(v, m[key], key);
  const KOL::Lev2Stats st = d.getStats(k);
  EXPECT_EQ(st.valid, m["valid"].get<long>());
  if (name == "CFP") {
    EXPECT_EQ(st.belowThreshold,
              m["cfp_code0_not_applied"].get<long>() + m["cfp_code1_point_filter"].get<long>() +
                  m["cfp_code2_dualpol_only"].get<long>() + m["cfp_codes_3_7"].get<long>());
  } else {
    EXPECT_EQ(st.belowThreshold, m["below_threshold"].get<long>());
    EXPECT_EQ(st.rangeFolded, m["range_folded"].get<long>());
  }
  if (st.valid)
    for (auto [v, key] : {std::pair{st.min, "min"}, {st.max, "max"}, {st.mean, "mean"}})
      expectNear6(v, m[key], key);
  EXPECT_EQ(codeSum(d, k), m["code_sum"].get<long>());
  const json& at = m.contains("max_code_at") ? m["max_code_at"] : json();
  if (at.is_array()) {
    EXPECT_EQ(d.getCode(k, at[1], at[0]), at[2].get<int>());
  }
  for (const json& s : m.value("radial0_samples", json::array())) {
    EXPECT_EQ(d.getCode(k, s[0], 0), s[1].get<int>()) << "gate " << s[0];
    expectNear6(d.getValue(k, s[0], 0), s[2], "value");
  }
}

// An ISO time with its milliseconds, in seconds since 1970.
double isoTime(const std::string& iso)
{
  const size_t dot = iso.find('.');
  return KOLTest::isoSeconds(iso) + (dot == std::string::npos ? 0 : std::atof(iso.c_str() + dot));
}

void checkStatus(const KOL::Lev2Status& s, const json& e)
{
  ASSERT_TRUE(s.present);
  const bool orda = e["layout"] == "ORDA";
  EXPECT_EQ(s.orda, orda);
  const std::pair<int, const char*> ints[] = {
      {s.rdaStatus, "rda_status"},
      {s.operability, "operability_status"},
      {s.control, "control_status"},
      {s.auxPower, "aux_power_state"},
      {s.txPowerW, "avg_tx_power_w"},
      {s.dataEnabled, "data_transmission_enabled"},
      {s.vcp, "vcp"},
      {s.authorization, "rda_control_authorization"},
      {s.operationalMode, "operational_mode"},
      {s.bypassMapDate, "bypass_map_date"},
      {s.bypassMapMinute, "bypass_map_time_min"},
      {s.clutterMapDate, orda ? "clutter_map_date" : "notchwidth_map_date"},
      {s.clutterMapMinute, orda ? "clutter_map_time_min" : "notchwidth_map_time_min"}};
  for (const auto& [got, key] : ints) EXPECT_EQ(got, e[key].get<int>()) << key;
  EXPECT_NEAR(s.refCalibDb, e["ref_calib_correction_db"].get<double>(), 1e-4);
  if (orda) {
    EXPECT_NEAR(s.build, e["rda_build"].get<double>(), 1e-4);
    EXPECT_EQ(s.superRes, e["super_resolution_status"].get<int>());
  }
}

// The adaptation data, and the place of the volume block (read by the other reader) with it.
bool checkAdaptation(const KOL::Lev2Adaptation& a, const json& e)
{
  const json& meta = e["metadata"];
  const json& ad = meta.contains("18") ? meta["18"]["first"] : json();
  EXPECT_EQ(a.present, ad.is_object() && !ad["adap_file_name"].get<std::string>().empty());
  if (!a.present) return false;
  EXPECT_EQ(a.fileName, ad["adap_file_name"].get<std::string>());
  EXPECT_EQ(a.date, ad["adap_date"].get<std::string>());
  EXPECT_EQ(a.time, ad["adap_time"].get<std::string>());
  EXPECT_TRUE(a.located);
  EXPECT_EQ(a.icao, e["site"]["icao"].get<std::string>());
  EXPECT_NEAR(a.lat, e["site"]["lat"].get<double>(), 1e-4);
  EXPECT_NEAR(a.lon, e["site"]["lon"].get<double>(), 1e-3);
  EXPECT_EQ(a.height, e["site"]["height_m"].get<float>());
  return true;
}

void checkSweep(const Lev2File& f, const json& s)
{
  const int index = s["index"].get<int>();
  SCOPED_TRACE("cut " + std::to_string(index + 1));
  const Lev2Data* d = f.getCut(index + 1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->getElevNumber(), s["elevation_number"].get<int>());
  EXPECT_EQ(d->getNumRadials(), s["n_radials"].get<int>());
  expectNear6(d->getElevation(), s["elevation_angle_mean"], "elevation");
  if (s.contains("vcp_elevation_deg") && s["vcp_elevation_deg"].is_number()) {
    EXPECT_NEAR(d->getVcpElevation(), s["vcp_elevation_deg"].get<double>(), 1e-4);
  }
  expectNear6(d->getRadial(0).azimuth, s["azimuth_first"], "first azimuth");
  expectNear6(d->getRadial(d->getNumRadials() - 1).azimuth, s["azimuth_last"], "last azimuth");
  EXPECT_EQ(d->getRadial(0).status, s["status_first"].get<int>());
  EXPECT_NEAR(d->getStartSeconds(), isoTime(s["time_first"]), 1e-3);
  EXPECT_EQ(d->getStartTime().getSeconds(), KOLTest::isoSeconds(s["time_first"]));
  EXPECT_EQ(d->getNumMoments(), static_cast<int>(s["moments"].size()));
  for (const auto& [name, m] : s["moments"].items()) checkMoment(*d, name, m);
}

TEST_F(Lev2Volumes, EveryFigureOfTheIndependentReader)
{
  KOL_REQUIRE_DATA();
  ASSERT_EQ(volumes().size(), 7u);
  int statuses = 0, located = 0;
  for (const std::string& name : volumes()) {
    SCOPED_TRACE(name);
    const json e = KOLTest::expected(name);
    Lev2File f;
    f.setThreads(2);
    ASSERT_TRUE(f.open(KOLTest::dataFile(name).c_str()));
    ASSERT_TRUE(f.read());
    const json& h = e["volume_header"];
    EXPECT_EQ(f.getTape(), h["tape"].get<std::string>());
    EXPECT_EQ(f.getDate().getSeconds(), KOLTest::isoSeconds(h["datetime"]));
    EXPECT_EQ(f.getNumRadials(), e["n_radials"].get<int>());
    EXPECT_EQ(f.getNumCuts(), e["n_sweeps"].get<int>());
    EXPECT_EQ(f.getProblems(), 0);
    const json& site = e["site"];
    EXPECT_EQ(f.getVcp(), site["vcp"].get<int>());
    if (site.contains("lat")) {
      const Lev2Data& first = *f.getCut(1);
      EXPECT_EQ(first.getIcao(), site["icao"].get<std::string>());
      expectNear6(first.getLat(), site["lat"], "latitude");
      expectNear6(first.getLon(), site["lon"], "longitude");
      EXPECT_EQ(first.getHeight(), site["height_m"].get<float>());
    }
    for (const json& s : e["sweeps"]) checkSweep(f, s);
    if (e["metadata"].contains("2")) {
      checkStatus(f.getStatus(), e["metadata"]["2"]["first"]);
      EXPECT_EQ(f.getCut(1)->getStatus().vcp, f.getStatus().vcp);
      statuses++;
    }
    located += checkAdaptation(f.getAdaptation(), e);
  }
  EXPECT_EQ(statuses, 7);
  EXPECT_EQ(located, 4);
}

std::vector<uint8_t> bytesOf(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Damage inside one LDM record or a volume cut short costs only that record's radials.
TEST_F(Lev2Volumes, DamageCostsOnlyItsOwnRecord)
{
  KOL_REQUIRE_DATA();
  const std::vector<uint8_t> whole =
      bytesOf(KOLTest::dataFile("level2/Level2_KFTG_20150430_1419.ar2v"));
  ASSERT_GT(whole.size(), 1000000u);
  std::vector<size_t> starts;
  for (size_t at = 24; at + 4 < whole.size();) {
    const int32_t w = static_cast<int32_t>((whole[at] << 24) | (whole[at + 1] << 16) |
                                           (whole[at + 2] << 8) | whole[at + 3]);
    starts.push_back(at);
    at += 4 + static_cast<size_t>(std::abs(w));
  }
  ASSERT_EQ(starts.size(), 55u);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int radials;
  };
  std::vector<uint8_t> corrupt = whole, shortened(whole.begin(), whole.begin() + starts[30] + 5000);
  for (size_t i = starts[10] + 2000; i < starts[10] + 2100; ++i) corrupt[i] ^= 0x5a;
  const std::vector<Case> cases = {
      {"corrupt record", corrupt, 6480 - 120},
      {"cut short", shortened, 29 * 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Lev2File f;
    ASSERT_TRUE(f.openBytes(c.bytes.data(), c.bytes.size()));
    testing::internal::CaptureStderr();
    KOL::Kol::setMessageMask(~0u);
    ASSERT_TRUE(f.read());
    KOL::Kol::setMessageMask(0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_GE(f.getNumRadials(), c.radials);
    EXPECT_LT(f.getNumRadials(), 6480);
    EXPECT_EQ(f.getProblems(), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("Lev2File: record "), std::string::npos) << err;
  }
}

// The 1999 Message 1 volume of KTLX has no place of its own; given the adaptation data its radar
// sent in 2010 (the frames of Message 18, spliced in after the volume header), its cuts are at
// the site the 2010 volume block gives.
TEST_F(Lev2Volumes, AdaptationDataPlaceAMessage1Volume)
{
  KOL_REQUIRE_DATA();
  constexpr size_t HEADER = 24, FRAME = 2432, TYPE = 12 + 3;
  std::vector<uint8_t> old = bytesOf(KOLTest::dataFile("level2/KTLX19990503_235621.gz")),
                       recent = bytesOf(KOLTest::dataFile("level2/KTLX20100501_000444_V03.gz"));
  std::string why;
  ASSERT_TRUE(KOL::lev2::unwrap(old, why) && KOL::lev2::unwrap(recent, why));
  std::vector<uint8_t> spliced(old.begin(), old.begin() + HEADER);
  // the metadata frames come before the first radial (Message 31, of its own length)
  for (size_t at = HEADER; at + FRAME <= recent.size() && recent[at + TYPE] != 31; at += FRAME)
    if (recent[at + TYPE] == 18)
      spliced.insert(spliced.end(), recent.begin() + at, recent.begin() + at + FRAME);
  ASSERT_EQ(spliced.size(), HEADER + 4 * FRAME);
  spliced.insert(spliced.end(), old.begin() + HEADER, old.end());
  Lev2File plain, placed;
  ASSERT_TRUE(plain.openBytes(old.data(), old.size()) && plain.read());
  ASSERT_TRUE(placed.openBytes(spliced.data(), spliced.size()) && placed.read());
  EXPECT_EQ(plain.getCut(1)->getLat(), KOL::Const::FMISS);
  EXPECT_EQ(placed.getNumRadials(), plain.getNumRadials());
  const Lev2Data& d = *placed.getCut(1);
  EXPECT_NEAR(d.getLat(), 35.3331, 1e-4);
  EXPECT_NEAR(d.getLon(), -97.2775, 1e-4);
  EXPECT_EQ(d.getHeight(), 369.0f);
  KOL::EarthPoint p;
  // gate 10 lies 10 km out: within 0.1 degree of the site
  ASSERT_TRUE(d.getLocation(0, 10, 0, p));
  EXPECT_NEAR(p.lat, 35.3331, 0.1);
  EXPECT_NEAR(p.lon, -97.2775, 0.15);
}

// Where the npm decoder of Archive II volumes is installed (scripts/setup).
const char* const ORACLE_MODULES = "/usr/local/lib/kol-oracles/node_modules";

// Every gate of whole sweeps (16-bit ZDR, split-cut VEL, last-cut RHO) against that decoder.
TEST_F(Lev2Volumes, SweepsValueForValueAgainstAnotherDecoder)
{
  KOL_REQUIRE_DATA();
  const std::string modules = ORACLE_MODULES;
  if (KOLTest::run("test -d " + modules + "/nexrad-level-2-data && command -v node").empty())
    GTEST_SKIP() << "the npm decoder nexrad-level-2-data is not installed (scripts/setup)";
  const std::string file = KOLTest::dataFile("level2/KDMX20260101_154351_V06");
  Lev2File f(file.c_str());
  ASSERT_TRUE(f.read());
  const struct {
    int cut;
    const char* moment;
  } sweeps[] = {{1, "ZDR"}, {2, "VEL"}, {12, "RHO"}};
  for (const auto& s : sweeps) {
    SCOPED_TRACE(std::string(s.moment) + " cut " + std::to_string(s.cut));
    const Lev2Data& d = *f.getCut(s.cut);
    const int k = d.findMoment(s.moment);
    ASSERT_GE(k, 0);
    std::string name = s.moment;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto rows = lines(KOLTest::run("NODE_PATH=" + modules + " node " + KOL_SOURCE_DIR +
                                         "/tests/imagery/oracle/lev2_sweep.js " + file + " " +
                                         std::to_string(d.getElevNumber()) + " " + name));
    ASSERT_EQ(rows.size(), static_cast<size_t>(d.getNumRadials()));
    long differ = 0;
    for (int j = 0; j < d.getNumRadials(); ++j) {
      std::istringstream in(rows[j]);
      std::string word;
      in >> word;
      EXPECT_NEAR(std::stod(word), d.getRadial(j).azimuth, 1e-4);
      int gate = 0;
      for (; in >> word; ++gate) {
        const float v = d.getValue(k, gate, j);
        differ += word == "nan" ? Lev2Data::isValue(v) : std::fabs(std::stod(word) - v) > 1e-4;
      }
      EXPECT_EQ(gate, d.getMoment(k).radialGates[j]) << "radial " << j;
    }
    EXPECT_EQ(differ, 0);
  }
}

// Places from the radar and back against PROJ's geod; slant and ground ranges are inverses.
TEST(Lev2Geometry, AgainstGeodAndInverse)
{
  for (double range : {1000.0, 80000.0, 230000.0, 459000.0})
    for (double elev : {0.0, 0.5, 3.0, 19.5})
      EXPECT_NEAR(Lev2Data::slantRange(Lev2Data::groundRange(range, elev), elev), range, 1e-3);
  if (KOLTest::run("command -v geod").empty()) GTEST_SKIP() << "PROJ's geod not installed";
  const struct {
    double lat, lon, az, dist;
  } legs[] = {{35.333, -97.278, 45, 100000},
              {41.797, -87.858, 200, 230000},
              {64.5, -147.5, 330, 460000},
              {-12.4, 130.9, 95, 150000}};
  for (const auto& l : legs) {
    char cmd[256];
    std::snprintf(cmd, sizeof cmd,
                  "echo '%.6f %.6f %.6f %.3f' | geod +ellps=sphere +R=6371220 -f %%.7f", l.lat,
                  l.lon, l.az, l.dist);
    double lat, lon;
    ASSERT_EQ(std::sscanf(KOLTest::run(cmd).c_str(), "%lf %lf", &lat, &lon), 2);
    const KOL::EarthPoint e = Lev2Data::destination(l.lat, l.lon, l.az, l.dist);
    EXPECT_NEAR(e.lat, lat, 1e-5);
    EXPECT_NEAR(e.lon, lon, 1e-5);
    double az, ground;
    Lev2Data::azimuthRange(l.lat, l.lon, lat, lon, az, ground);
    EXPECT_NEAR(az, l.az, 1e-4);
    EXPECT_NEAR(ground, l.dist, 0.05);
  }
}

// kolrad -li: one line per cut and moment with the figures of the independent reader; kolrad
// describing a volume.
TEST_F(Lev2Volumes, KolradListsAndDescribesVolumes)
{
  KOL_REQUIRE_DATA();
  const std::string name = "level2/KTLX19990503_235621.gz";
  int status = -1;
  const auto out = lines(KOLTest::run(
      KOLTest::programPath("kolrad") + " -li " + KOLTest::dataFile(name) + " 2>&1", &status));
  ASSERT_EQ(status, 0);
  const json e = KOLTest::expected(name);
  size_t rows = 0;
  for (const json& s : e["sweeps"]) rows += s["moments"].size();
  ASSERT_EQ(out.size(), rows + 1);
  for (size_t row = 1; row < out.size(); ++row) {
    int cut, radials, gates, below, folded;
    float elev, first, spacing, scale, offset, mn, mx, mean;
    char moment[8] = {};
    ASSERT_EQ(std::sscanf(out[row].c_str(), "%d,%f,%d,%7[^,],%d,%f,%f,%f,%f,%f,%f,%f,%d,%d", &cut,
                          &elev, &radials, moment, &gates, &first, &spacing, &scale, &offset, &mn,
                          &mx, &mean, &below, &folded),
              14);
    ASSERT_GE(cut, 1);
    const json& s = e["sweeps"].at(cut - 1);
    const json& m = s["moments"].at(moment);
    const double got[] = {
        elev, double(radials), double(gates), first, spacing, scale, offset, mn, mx,
        mean, double(below),   double(folded)};
    std::istringstream keys(
        "elevation_angle_mean n_radials gates first_gate_m gate_spacing_m "
        "scale offset min max mean below_threshold range_folded");
    std::string key;
    for (int k = 0; keys >> key; ++k)
      EXPECT_NEAR(got[k], (k < 2 ? s : m)[key].get<double>(), 1e-4) << row << " " << key;
  }
  // the description says what the metadata hold and when the first cut began
  const std::string said = KOLTest::run(KOLTest::programPath("kolrad") + " " +
                                        KOLTest::dataFile("level2/Level2_KFTG_20150430_1419.ar2v"));
  for (const char* line :
       {"RDA status 16, operability 2, control 4, mode 4, VCP 212, build 15.00 (open RDA)\n",
        "Adaptation data current format 14 revision 10 of 12/10/14 18-21-45\n",
        "Adaptation site KFTG at 39.7866 -104.5458, 1675 m\n",
        "Lev2Data cut 1 (elevation number 1) 0.49 deg, 720 radials from 2015-04-30 14:19:10.269, "
        "site KFTG"})
    EXPECT_NE(said.find(line), std::string::npos) << line << said.substr(0, 600);
}

}  // namespace
