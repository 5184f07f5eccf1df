#include "obs/MetarTool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Const.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"

using KOL::MetarTool;
using KOL::SfcData;
using KOL::SfcWmoData;

namespace {

constexpr float MISS = KOL::Const::FMISS;

SfcData decode(const char* text)
{
  SfcData s;
  MetarTool::decode(text, s);
  return s;
}

// A report from a bulletin of the given country, dated 2020-01-05 23:00.
SfcData decodeFrom(const char* text, int location)
{
  SfcWmoData w;
  w.setData(text);
  w.format = SfcWmoData::METAR;
  w.location = location;
  w.setDate(KOL::Date(2020, 1, 5, 23, 0, 0));
  SfcData s;
  MetarTool::decode(w, s);
  return s;
}

void expectValue(float got, float want, const char* what, const char* text)
{
  if (want == MISS)
    EXPECT_EQ(got, MISS) << what << ": " << text;
  else
    EXPECT_NEAR(got, want, 0.01) << what << ": " << text;
}

TEST(MetarToolTest, WindGroups)
{
  const struct {
    const char* group;
    float dir, speed, gust;
  } table[] = {
      {"05010MPS", 50, 19.44f, MISS}, {"24012KMH", 240, 6.47952f, MISS},
      {"VRB05G15KT", 0, 5, 15},       {"VRB120KT", 0, 120, MISS},
      {"CALM", 0, 0, MISS},           {"270120G150KT", 270, 120, 150},
      {"27015/25KTS", 270, 15, 25},   {"E03010KT", 30, 10, MISS},
      {"270//KT", 270, MISS, MISS},   {"///25KT", MISS, 25, MISS},
      {"2715G30KT", 270, 15, 30},     {"27010", 270, 5.3996f, MISS},  // no unit: km/h
      {"99015KT", MISS, MISS, MISS},  // no such direction: not a wind group
  };
  for (const auto& c : table) {
    std::string text = std::string("KXYZ 041851Z ") + c.group + " 10SM 12/08 A2992";
    SfcData s = decode(text.c_str());
    expectValue(s.wdir, c.dir, "direction", c.group);
    expectValue(s.wspd, c.speed, "speed", c.group);
    expectValue(s.gust, c.gust, "gust", c.group);
    // The groups after the wind are still found.
    EXPECT_FLOAT_EQ(s.temp, 12) << c.group;
  }
  // A wind group left empty is passed over.
  for (const char* empty : {"M", "KT"}) {
    std::string text = std::string("KXYZ 041851Z AUTO ") + empty + " 10SM 12/08 A2992";
    SfcData s = decode(text.c_str());
    EXPECT_EQ(s.wspd, MISS) << empty;
    EXPECT_FLOAT_EQ(s.vis, 10) << empty;
  }
}

TEST(MetarToolTest, VisibilityGroups)
{
  const struct {
    const char* group;
    float vis;
  } table[] = {
      {"11/2SM", 1.5f},
      {"M1/4SM", 0.25f},
      {"1/0SM", 1},  // a zero denominator counts as 1
      {"P6SM", 6},
      {"5KM", 3.10685f},
      {"2NM", 2.3016f},
      {"0400 0350", 0.24854f},  // the second, minimum visibility is passed over
      {"4000NE", 2.48544f},
      {"1 1/2", 1.5f},
      {"////", MISS},
      {"200V280 9999", MISS},
      {"200V280 3000", 1.86408f},
  };
  for (const auto& c : table) {
    std::string text = std::string("KXYZ 041851Z 27015KT ") + c.group + " -RA BKN010 12/08 A2992";
    SfcData s = decode(text.c_str());
    expectValue(s.vis, c.vis, "visibility", c.group);
    EXPECT_STREQ(s.wx, "!-RA") << c.group;
    EXPECT_EQ(s.ncld, 1) << c.group;
  }
  // CAVOK: ten miles, one clear layer and no weather group, even after a variable direction.
  SfcData s = decode("LDZA 060030Z 06004KT 030V100 CAVOK M02/M06 Q1035 NOSIG");
  EXPECT_FLOAT_EQ(s.vis, 10);
  ASSERT_EQ(s.ncld, 1);
  EXPECT_EQ(s.cld[0].cover, 'C');
  EXPECT_STREQ(s.wx, "");
  EXPECT_FLOAT_EQ(s.temp, -2);
}

TEST(MetarToolTest, RunwayWeatherAndClouds)
{
  SfcData s = decode(
      "EDTY 060020Z AUTO 09004KT 0400 R28/0600U R09L/P1500N +TSRAGR FZFG VCSH VV001 M01/M02 "
      "Q1032");
  EXPECT_STREQ(s.wx, "!+TSRAGR_FZFG_VCSH");
  EXPECT_STREQ(s.comment, "R28/0600U R09L/P1500N ");
  ASSERT_EQ(s.ncld, 1);
  EXPECT_EQ(s.cld[0].cover, 'X');
  EXPECT_FLOAT_EQ(s.cld[0].height, 100);

  const struct {
    const char* groups;
    const char* covers;
    float heights[5];
  } table[] = {
      {"NSC", "C", {MISS}},
      {"FEW020CB SCT025TCU BKN///", "FSB", {2000, 2500, MISS}},
      {"OVC010/// //////CB", "O", {1000}},
      {"3SC020 8ST004", "38", {2000, 400}},
      {"VV///", "X", {MISS}},
      {"0VC015", "O", {1500}},
      {"FEW010 FEW020 SCT030 BKN040 OVC050 OVC060", "FFSBO", {1000, 2000, 3000, 4000, 5000}},
      {"NOSIG", "", {}},
  };
  for (const auto& c : table) {
    std::string text = std::string("EGLL 041850Z 24012KT 9999 ") + c.groups + " 12/08 Q1013";
    SfcData s = decode(text.c_str());
    ASSERT_EQ(s.ncld, static_cast<int>(std::strlen(c.covers))) << c.groups;
    for (int i = 0; i < s.ncld; ++i) {
      EXPECT_EQ(s.cld[i].cover, c.covers[i]) << c.groups;
      expectValue(s.cld[i].height, c.heights[i], "height", c.groups);
    }
    EXPECT_FLOAT_EQ(s.temp, 12) << c.groups;
    EXPECT_NEAR(s.alt, 29.92, 0.01) << c.groups;
  }
}

TEST(MetarToolTest, TemperatureAndPressureGroups)
{
  const struct {
    const char* groups;
    float temp, dewp, alt;
  } table[] = {
      {"M00/M01 A2992", 0, -1, 29.92f},    {"12/// A2992", 12, MISS, 29.92f},
      {"XX/XX A2992", MISS, MISS, 29.92f}, {"12/08 2992", 12, 8, 29.92f},
      {"12/08 / Q0998", 12, 8, 29.4795f},  {"12/08", 12, 8, MISS},
      {"12/08 1013", 12, 8, 29.9226f},  // a bare four-digit pressure below 2000 is in hPa
  };
  for (const auto& c : table) {
    std::string text = std::string("KXYZ 041851Z 27015KT 10SM CLR ") + c.groups;
    SfcData s = decode(text.c_str());
    expectValue(s.temp, c.temp, "temperature", c.groups);
    expectValue(s.dewp, c.dewp, "dew point", c.groups);
    expectValue(s.alt, c.alt, "altimeter", c.groups);
  }
}

TEST(MetarToolTest, RemarkGroups)
{
  const struct {
    const char* report;
    float SfcData::*field;
    float value;
  } table[] = {
      {"KXYZ 041851Z 27015KT RMK SLPNO", &SfcData::slp, MISS},
      {"KXYZ 041851Z 27015KT RMK T10221033", &SfcData::dewp, -3.3f},
      {"KXYZ 041851Z 27015KT RMK 11042", &SfcData::maxt6, -4.2f},
      {"KXYZ 041851Z 27015KT RMK 21022", &SfcData::mint6, -2.2f},
      {"KXYZ 041851Z 27015KT RMK 401001015", &SfcData::maxt, 10.0f},
      {"KXYZ 041851Z 27015KT RMK 401001015", &SfcData::mint, -1.5f},
      {"KXYZ 041851Z 27015KT RMK 56008", &SfcData::ptend, -0.8f},
      {"KXYZ 041851Z 27015KT RMK 4/014", &SfcData::snow, 35.56f},
      {"KXYZ 041851Z 27015KT RMK 98060", &SfcData::sun, 60},
  };
  for (const auto& c : table) {
    SfcData s = decode(c.report);
    expectValue(s.*c.field, c.value, "value", c.report);
  }

  const struct {
    const char* report;
    int slot;
    float value;
  } precip[] = {
      {"KXYZ 041150Z 27015KT RMK 60015", SfcData::PREC6, 3.81f},
      {"KXYZ 040850Z 27015KT RMK 60015", SfcData::PREC3, 3.81f},
      {"KXYZ 041150Z 27015KT RMK P0003", SfcData::PREC1, 0.762f},
      {"KXYZ 041150Z 27015KT RMK 70125", SfcData::PREC24, 31.75f},
  };
  for (const auto& c : precip) {
    SfcData s = decode(c.report);
    expectValue(s.prec[c.slot], c.value, "precipitation", c.report);
  }

  // Words kept and dropped, cloud types, and the type words of automatic stations.
  SfcData s = decode(
      "KXYZ 041851Z 27015KT 10SM CLR 12/08 A2992 RMK AO2 PK WND 28045/1955 WSHFT 1715 FROPA "
      "TWR VIS 2 8/6// PRESFR $ 933036 XYZZY");
  EXPECT_STREQ(s.comment, "AO2 PK WND 28045/1955 WSHFT 1715 FROPA TWR VIS 2 PRESFR XYZZY ");
  EXPECT_EQ(s.cld_type[0], '6');
  EXPECT_EQ(s.cld_type[1], '-');
  EXPECT_EQ(s.cld_type[2], '-');
  EXPECT_NEAR(s.snow, 36 * 2.54, 1e-3);
  EXPECT_STREQ(decode("KXYZ 041851Z 27015KT RMK A0A").comment, "A0A ");
}

TEST(MetarToolTest, CountryRulesForRemarks)
{
  const char* text = "XXXX 052356Z 13007KT 10SM M38/M44 A2918 RMK AO2 SLP123 T13791436 P0003";
  SfcData us = decodeFrom(text, SfcWmoData::USA);
  EXPECT_NEAR(us.temp, -37.9, 1e-4);
  EXPECT_NEAR(us.prec[SfcData::PREC1], 0.762, 1e-4);
  EXPECT_NEAR(us.slp, 1012.3, 1e-3);

  // Canada: the type word and the precise temperature, not the US groups.
  SfcData ca = decodeFrom(text, SfcWmoData::CANADA);
  EXPECT_NEAR(ca.temp, -37.9, 1e-4);
  EXPECT_EQ(ca.prec[SfcData::PREC1], MISS);
  EXPECT_STREQ(ca.comment, "AO2 P0003 ");

  // Elsewhere only the sea-level pressure; a US station in a bulletin is switched to Canada
  // by its identifier.
  SfcData other = decodeFrom(text, SfcWmoData::MEXICO);
  EXPECT_FLOAT_EQ(other.temp, -38);
  EXPECT_NEAR(other.slp, 1012.3, 1e-3);
  EXPECT_STREQ(other.comment, "AO2 T13791436 P0003 ");
  SfcData c = decodeFrom("CWXX 052356Z RMK P0003", SfcWmoData::USA);
  EXPECT_EQ(c.prec[SfcData::PREC1], MISS);

  EXPECT_EQ(MetarTool::locationOf("KORD"), SfcWmoData::USA);
  EXPECT_EQ(MetarTool::locationOf("PHNL"), SfcWmoData::USA);
  EXPECT_EQ(MetarTool::locationOf("CYUL"), SfcWmoData::CANADA);
  EXPECT_EQ(MetarTool::locationOf("EGLL"), 0);
}

TEST(MetarToolTest, ReportFormsAndTimes)
{
  SfcData s;
  EXPECT_EQ(MetarTool::decode("METAR KABC NIL=", s), 0);
  EXPECT_EQ(s.type, 0);
  EXPECT_EQ(MetarTool::decode("KABC 041851Z NIL", s), 0);

  s = decode("SPECI COR KABC 041851Z 27015KT 10SM 12/08 A2992");
  EXPECT_EQ(s.type, 2);
  EXPECT_STREQ(s.id, "KABC");
  EXPECT_FLOAT_EQ(s.wdir, 270);
  s = decode("KABC SPECI 041851Z COR 27015KT 10SM 12/08 A2992");
  EXPECT_EQ(s.type, 2);
  EXPECT_FLOAT_EQ(s.vis, 10);
  s = decode("METAR KABC 041851Z CCA 27015KT 10SM 12/08 A2992");
  EXPECT_FLOAT_EQ(s.wspd, 15);

  // A report split over lines, with framing characters and the closing "=".
  s = decode("\x1e\x1e METAR KABC 041851Z 27015KT 10SM\r\r\n     12/08 A2992 RMK\n AO2=\r\r\n");
  EXPECT_FLOAT_EQ(s.temp, 12);
  EXPECT_NEAR(s.alt, 29.92, 1e-5);
  EXPECT_STREQ(s.comment, "AO2 ");

  // Time forms, and a bulletin date that lends the month and year across a month end.
  const struct {
    const char* time;
    int day, hhmm;
  } times[] = {{"302359Z", 30, 2359}, {"1851Z", 5, 1851},  {"041851", 4, 1851},
               {"1851", 5, 1851},     {"0451UTC", 6, 451}, {"049951Z", 5, 2300}};
  for (const auto& t : times) {
    std::string text = std::string("KABC ") + t.time + " 27015KT 10SM 12/08 A2992";
    SfcData r = decodeFrom(text.c_str(), SfcWmoData::USA);
    EXPECT_EQ(r.date.getDay(), t.day) << t.time;
    EXPECT_EQ(r.getTime(), t.hhmm) << t.time;
    EXPECT_FLOAT_EQ(r.wspd, 15) << t.time;
  }
  SfcData dec = decodeFrom("KABC 302359Z 27015KT", SfcWmoData::USA);
  EXPECT_EQ(dec.date.getMonth(), 12);
  EXPECT_EQ(dec.date.getYear(), 2019);
  SfcData obs = decode("KABC 041800Z 27015KT RMK OBS TAKEN +42");
  EXPECT_EQ(obs.getTime(), 1842);
}

}  // namespace
