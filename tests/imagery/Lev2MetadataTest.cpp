// What the volumes say besides their radials, against the independent reader: the RDA status
// (Message 2, open and legacy layouts), the adaptation data (Message 18) with the site it places,
// and each cut's start time; a Message 1 volume placed by the adaptation data of its radar.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Expected.h"
#include "common/TestData.h"
#include "imagery/Lev2Data.h"
#include "imagery/Lev2File.h"
#include "imagery/lev2/Container.h"

using KOL::Lev2Data;
using KOL::Lev2File;
using nlohmann::json;

namespace {

class Lev2Metadata : public KOLTest::QuietTest {};

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

TEST_F(Lev2Metadata, StatusAdaptationAndCutTimes)
{
  KOL_REQUIRE_DATA();
  int statuses = 0, located = 0, cuts = 0;
  for (const std::string& name : KOLTest::filesWithExpected("level2")) {
    SCOPED_TRACE(name);
    const json e = KOLTest::expected(name);
    Lev2File f;
    ASSERT_TRUE(f.open(KOLTest::dataFile(name).c_str()));
    ASSERT_TRUE(f.read());
    const json& meta = e["metadata"];
    if (meta.contains("2")) {
      checkStatus(f.getStatus(), meta["2"]["first"]);
      EXPECT_EQ(f.getCut(1)->getStatus().vcp, f.getStatus().vcp);
      statuses++;
    }
    const KOL::Lev2Adaptation& a = f.getAdaptation();
    const json& ad = meta.contains("18") ? meta["18"]["first"] : json();
    EXPECT_EQ(a.present, ad.is_object() && !ad["adap_file_name"].get<std::string>().empty());
    if (a.present) {
      EXPECT_EQ(a.fileName, ad["adap_file_name"].get<std::string>());
      EXPECT_EQ(a.date, ad["adap_date"].get<std::string>());
      EXPECT_EQ(a.time, ad["adap_time"].get<std::string>());
      // the volume block's place, read by the other reader
      const json& site = e["site"];
      ASSERT_TRUE(a.located);
      EXPECT_EQ(a.icao, site["icao"].get<std::string>());
      EXPECT_NEAR(a.lat, site["lat"].get<double>(), 1e-4);
      EXPECT_NEAR(a.lon, site["lon"].get<double>(), 1e-3);
      EXPECT_EQ(a.height, site["height_m"].get<float>());
      located++;
    }
    for (const json& s : e["sweeps"]) {
      const Lev2Data& d = *f.getCut(s["index"].get<int>() + 1);
      EXPECT_NEAR(d.getStartSeconds(), isoTime(s["time_first"]), 1e-3) << s["index"];
      EXPECT_EQ(d.getStartTime().getSeconds(), KOLTest::isoSeconds(s["time_first"]));
      cuts++;
    }
  }
  EXPECT_EQ(statuses, 7);
  EXPECT_EQ(located, 4);
  EXPECT_GT(cuts, 60);
}

std::vector<uint8_t> unwrapped(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
  std::string why;
  return KOL::lev2::unwrap(b, why) ? b : std::vector<uint8_t>();
}

// The 1999 Message 1 volume of KTLX has no place of its own; given the adaptation data its radar
// sent in 2010 (the frames of Message 18, spliced in after the volume header), its cuts are at
// the site the 2010 volume block gives.
TEST_F(Lev2Metadata, AdaptationDataPlaceAMessage1Volume)
{
  KOL_REQUIRE_DATA();
  constexpr size_t HEADER = 24, FRAME = 2432, TYPE = 12 + 3;
  const std::vector<uint8_t> old = unwrapped(KOLTest::dataFile("level2/KTLX19990503_235621.gz"));
  const std::vector<uint8_t> recent =
      unwrapped(KOLTest::dataFile("level2/KTLX20100501_000444_V03.gz"));
  ASSERT_GT(old.size(), HEADER + FRAME);
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
  EXPECT_EQ(placed.getNumCuts(), plain.getNumCuts());
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

// kolrad's description of a volume says what the metadata hold and when the cuts began.
TEST_F(Lev2Metadata, KolradDescribesAVolume)
{
  KOL_REQUIRE_DATA();
  const std::string name = "level2/Level2_KFTG_20150430_1419.ar2v";
  int status = -1;
  const std::string out =
      KOLTest::run(KOLTest::programPath("kolrad") + " " + KOLTest::dataFile(name), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("RDA status 16, operability 2, control 4, mode 4, VCP 212, build 15.00 "
                     "(open RDA)\n"),
            std::string::npos)
      << out.substr(0, 600);
  EXPECT_NE(out.find("Adaptation data current format 14 revision 10 of 12/10/14 18-21-45\n"),
            std::string::npos);
  EXPECT_NE(out.find("Adaptation site KFTG at 39.7866 -104.5458, 1675 m\n"), std::string::npos);
  // the first cut's start, as the other reader has it
  EXPECT_NE(out.find("Lev2Data cut 1 (elevation number 1) 0.49 deg, 720 radials from 2015-04-30 "
                     "14:19:10.269, site KFTG"),
            std::string::npos);
}

}  // namespace
