#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"

using KOL::Kol;

namespace {

class KolTest : public KOLTest::QuietTest {
 protected:
  void TearDown() override
  {
    unsetenv("kolerrtoout");
    QuietTest::TearDown();
  }
};

TEST_F(KolTest, MessageLevelTexts)
{
  Kol::setMessageLevel("debug2");
  EXPECT_TRUE(Kol::isDebug(2));
  EXPECT_FALSE(Kol::isDebug(3));

  Kol::setMessageLevel("warn,+debug3");
  EXPECT_TRUE(Kol::checkMessage(Kol::WARN));
  EXPECT_FALSE(Kol::checkMessage(Kol::MESS));
  EXPECT_TRUE(Kol::isDebug(3));
  EXPECT_FALSE(Kol::isDebug(2));

  Kol::setMessageLevel("debug,-out4");
  EXPECT_FALSE(Kol::checkMessage(8));
  EXPECT_TRUE(Kol::checkMessage(7));
  EXPECT_TRUE(Kol::checkMessage(20));

  Kol::setMessageLevel("WARN,-warn,-warn");
  EXPECT_FALSE(Kol::checkMessage(Kol::WARN));
  EXPECT_TRUE(Kol::checkMessage(Kol::ERROR));

  // Unknown items and numbers are ignored.
  Kol::setMessageLevel("mess,17,bogus");
  EXPECT_EQ(Kol::getMessageMask(), 0xFu);
}

TEST_F(KolTest, WarningsAndErrorsGoWhereAsked)
{
  Kol::setMessageLevel("none,+warn");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Kol::outMessage("printed %d\n", 1);
  Kol::outWarning("Demo: warned %d\n", 2);
  Kol::outError("Demo: failed\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Demo: warned 2\nDemo: failed\n");

  setenv("kolerrtoout", "", 1);
  Kol::setMessageLevel("none");
  testing::internal::CaptureStdout();
  Kol::outWarning("hidden\n");
  Kol::outError("Demo: always\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Demo: always\n");
}

TEST_F(KolTest, NamesVersionAndProcess)
{
  Kol::setProgramName("a_program_name_longer_than_nineteen");
  EXPECT_STREQ(Kol::getProgramName(), "a_program_name_long");
  Kol::setProgramName("");
  EXPECT_STREQ(Kol::getProgramName(), "KOL");

  // Unset, the database is where the library's tables are: from a build tree, the source
  // tree's data; installed, the folder beside the library (the install test covers that).
  std::string installed = Kol::getDatabasePath();
  ASSERT_GT(installed.size(), 4u);
  EXPECT_EQ(installed.front(), '/');
  EXPECT_EQ(::access((installed + "/units.lup").c_str(), R_OK), 0) << installed;
  Kol::setDatabasePath("/usr/share/kol");
  EXPECT_STREQ(Kol::getDatabasePath(), "/usr/share/kol");
  Kol::setDatabasePath(nullptr);
  EXPECT_EQ(Kol::getDatabasePath(), installed);
}

}  // namespace
