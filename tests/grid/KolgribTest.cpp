// The kolgrib program: inventory lines, and a Lambert field written as edition 1 and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"

namespace {

std::string kolgrib(const std::string& args, int* status = nullptr)
{
  return KOLTest::run(
      KOLTest::programPath("kolgrib") + " -fp=" + KOLTest::databaseDir() + " " + args + " 2>&1",
      status);
}

// The lines of an output that begin with a digit (warnings are mixed in on standard error).
std::vector<std::string> lines(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && (std::isdigit(static_cast<unsigned char>(l[0])) || l[0] == '-'))
      out.push_back(l);
  return out;
}

struct Point {
  double lat, lon, value;
};

// The "lat lon value" lines of an output.
std::vector<Point> points(const std::string& text)
{
  std::vector<Point> out;
  Point p;
  for (const std::string& l : lines(text))
    if (std::sscanf(l.c_str(), "%lf %lf %lf", &p.lat, &p.lon, &p.value) == 3) out.push_back(p);
  return out;
}

TEST(Kolgrib, InventoryAndLambertFieldWrittenAsEdition1)
{
  KOL_REQUIRE_DATA();
  int status = -1;
  auto inv = lines(kolgrib(KOLTest::dataFile("grib/g2_ngm.grb2"), &status));
  ASSERT_TRUE(status == 0 && inv.size() == 5) << inv.size();
  EXPECT_EQ(inv[0], "1 0 2004-12-08_12:00 48h pwat 1.000-0.00sig polar 53 45 simple");
  EXPECT_EQ(inv[4], "5 11172 2004-12-08_12:00 48h hght sfc polar 53 45 simple");
  // Fields of one multi-field message share its offset.
  auto multi = lines(kolgrib(KOLTest::dataFile("grib/g2_JMA_MSG_GPV_Pys_multifield.bin")));
  ASSERT_TRUE(multi.size() == 16 && multi[15].substr(0, 5) == "16 0 ");

  KOLTest::TempDir tmp;
  const std::string in = KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2");
  const std::string out = tmp.file("nam.grib1");
  kolgrib("-msg=3 -out=grib1 -outfile=" + out + " " + in, &status);
  ASSERT_EQ(status, 0);
  auto original = points(kolgrib("-msg=3 -out=values " + in));
  auto back = points(kolgrib("-msg=1 -out=values " + out));
  auto ecc = points(KOLTest::run("grib_get_data -m -9999 -L '%.6f %.6f' -F '%.10g' " + out));
  ASSERT_EQ(original.size(), 93u * 65u);
  ASSERT_TRUE(back.size() == original.size() && ecc.size() == original.size());
  // The writer keeps the field's bit width; its precision is the range over 2^bits - 1.
  std::string keys = KOLTest::run("grib_get -p binaryScaleFactor,editionNumber " + out);
  int e = 0, edition = 0;
  ASSERT_TRUE(std::sscanf(keys.c_str(), "%d %d", &e, &edition) == 2 && edition == 1) << keys;
  const double precision = std::ldexp(1.0, e);
  for (size_t k = 0; k < original.size(); k++) {
    ASSERT_NEAR(back[k].value, original[k].value, precision) << k;
    ASSERT_NEAR(ecc[k].value, back[k].value, 1e-3) << k;
    // Edition 1 has one earth radius: points move a little; both decoders place them alike.
    ASSERT_NEAR(back[k].lat, original[k].lat, 0.05) << k;
    ASSERT_NEAR(ecc[k].lat, back[k].lat, 1e-4) << k;
    ASSERT_NEAR(std::remainder(ecc[k].lon - back[k].lon, 360.0), 0.0, 1e-4) << k;
  }
}

}  // namespace
