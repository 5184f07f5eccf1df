// The inputs of a program: files dated by their convention name or a date written in it, dates
// and selectors of the convention standing for files, the -date option over all of them, and
// the loop that visits every input even after one failed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"

using namespace KOL;

namespace {

// Filed bulletins of two hours under raw_path, named by the shipped convention "sfc_wmo".
class ProgInputTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    mkdir(dir.file("sfc").c_str(), 0755);
    for (const char* hour : {"2020010523", "2020010600"})
      KOLTest::writeFile(filed(hour), std::string(200, 'x'));
    KOLTest::writeFile(dir.file("capture.txt"), "METAR KOKC 060053Z 18010KT=\n");
    Kol::resrc.set("file_path", KOLTest::databaseDir().c_str());
    Kol::resrc.set("raw_path", dir.path().c_str());
  }
  void TearDown() override
  {
    for (const char* r : {"file_path", "raw_path", "filename", "date"}) Kol::resrc.set(r, nullptr);
    Kol::init_time = KOL::Const::MISS;
    QuietTest::TearDown();
  }
  std::string filed(const char* hour) const
  {
    return dir.file("sfc/" + std::string(hour) + "_sfc.wmo");
  }
  static std::string when(const Date& d) { return d.format("%Y-%m-%d %H:%M"); }

  KOLTest::TempDir dir;
};

}  // namespace

TEST_F(ProgInputTest, FilesAreDatedByTheirConventionName)
{
  ProgInput inputs("sfc_wmo");
  const ProgInput::Item filedItem = inputs.resolve(filed("2020010523"));
  EXPECT_EQ(filedItem.name, filed("2020010523")) << "an existing file keeps its name";
  EXPECT_EQ(when(filedItem.date), "2020-01-05 23:00");

  // A file whose name the convention does not fit and tells no date, and standard input, have
  // none: their readers take the reports to be recent.
  EXPECT_FALSE(inputs.resolve(dir.file("capture.txt")).date.isSet());
  EXPECT_FALSE(inputs.resolve("-").date.isSet());
  // Without a convention, or one that does not fit, a date written in the name still counts.
  EXPECT_EQ(when(ProgInput().resolve(filed("2020010600")).date), "2020-01-06 00:00");
  KOLTest::writeFile(dir.file("metar_20190701_1200.txt"), "");
  EXPECT_EQ(when(inputs.resolve(dir.file("metar_20190701_1200.txt")).date), "2019-07-01 12:00");
}

TEST_F(ProgInputTest, DateOptionDatesEveryInput)
{
  Kol::resrc.set("date", "202001070000");
  Kol::resrc.set("filename", (filed("2020010523") + "\n-\n#2020010600").c_str());
  ProgInput inputs("sfc_wmo");
  ASSERT_EQ(inputs.setup(), 1);
  ASSERT_EQ(inputs.getNum(), 3);
  EXPECT_EQ(inputs.get(2).name, filed("2020010600"));
  for (int i = 0; i < inputs.getNum(); ++i) EXPECT_EQ(when(inputs.get(i).date), "2020-01-07 00:00");

  Kol::resrc.set("date", "#202001070000");
  EXPECT_EQ(inputs.setup(), 1) << "the date form with '#' is taken too";
  Date d;
  Kol::resrc.set("date", nullptr);
  EXPECT_EQ(ProgInput::getDate(d), 1);
  EXPECT_FALSE(d.isSet()) << "no date given: the program decides";
}

TEST_F(ProgInputTest, UnreadableDateIsRefusedWithOneLine)
{
  Kol::setProgramName("kolmetar");
  Kol::resrc.set("date", "yesterday");
  ProgInput inputs;
  Kol::setMessageLevel("warn");
  testing::internal::CaptureStderr();
  EXPECT_EQ(inputs.setup(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kolmetar: unreadable date yesterday (give yyyymmddhhmm)\n");
  // A date of a day that does not exist is said by the date reader alone.
  Kol::resrc.set("date", "202002300000");
  testing::internal::CaptureStderr();
  EXPECT_EQ(inputs.setup(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Date: no such day: 202002300000\n");
}

TEST_F(ProgInputTest, EveryInputIsVisitedAfterAFailure)
{
  Kol::setProgramName("kolmetar");
  const std::string a = filed("2020010523"), c = dir.file("capture.txt");
  Kol::resrc.set("filename", (a + "\n" + dir.file("absent") + "\n\n" + c).c_str());
  ProgInput inputs;
  ASSERT_EQ(inputs.setup(), 1);
  std::vector<std::string> seen;
  testing::internal::CaptureStderr();
  const int ok = inputs.forEach([&](const ProgInput::Item& in) {
    seen.push_back(in.name);
    return in.name != a;
  });
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kolmetar: cannot open " + dir.file("absent") + " (No such file or directory)\n")
      << "a file that is not there is said once, before any reader tries it";
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{a, c})) << "empty lines are no input";

  // A directory is no input either.
  Kol::resrc.set("filename", dir.file("sfc").c_str());
  ASSERT_EQ(inputs.setup(), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(inputs.forEach([](const ProgInput::Item&) { return 1; }), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kolmetar: cannot open " + dir.file("sfc") + " (a directory)\n");

  // Nothing named: standard input, or nothing at all for a program that needs a name.
  Kol::resrc.set("filename", nullptr);
  ASSERT_EQ(inputs.setup(), 1);
  ASSERT_EQ(inputs.getNum(), 1);
  EXPECT_EQ(inputs.get(0).name, "-");
  ASSERT_EQ(inputs.setup(nullptr), 1);
  EXPECT_EQ(inputs.getNum(), 0);
}
