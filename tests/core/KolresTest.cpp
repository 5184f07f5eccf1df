// The kolres program: the listing of resources and their sources, and its exit status (-help is
// in the misuse table of every program).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"

namespace {

class KolresTest : public ::testing::Test {
 protected:
  // Runs kolres with a clean kol environment, the resource files of dir_ and the given
  // environment assignments and arguments; returns standard output.
  std::string kolres(const std::string& env, const std::string& args, int* status = nullptr)
  {
    std::string cmd = "env -u kolpltdom -u kol_kolres_hour koldefault='" + dir_.path() + "' " +
                      env + " '" + KOLTest::programPath("kolres") + "' " + args + " 2>&1";
    return KOLTest::run(cmd, status);
  }
  KOLTest::TempDir dir_;
};

TEST_F(KolresTest, ListsEveryResourceWithItsSource)
{
  KOLTest::writeFile(dir_.file("kol.cfg"),
                     "*.plot_domain: us\n*.data_path /var/kol/data\n*.title \"from the file\"\n"
                     "kolres.num_hour 24\n");
  int status = -1;
  std::string out = kolres("kolpltdom=nh kol_kolres_hour=6",
                           "-unset -me=mess '-title=libkol demonstration' a.txt b.txt", &status);
  EXPECT_EQ(status, 0) << out;
  std::string cfg = dir_.file("kol.cfg");
  for (const std::string& line : std::vector<std::string>{
           "prog           = kolres                     [program name]",
           "plot_domain    = nh                         [environment kolpltdom]",
           "data_path      = /var/kol/data              [resource file " + cfg + "]",
           "num_hour       = 24                         [resource file " + cfg + "]",
           "hour           = 6                          [environment kol_kolres_hour]",
           "title          = libkol demonstration       [command line]",
           "message        = mess                       [command line]",
           "filename       = a.txt                      [command line]\n"
           "                 b.txt",
           "default        = " + dir_.path(),
       })
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n---\n" << out;
  EXPECT_NE(out.find("Declared but not set: help file_path"), std::string::npos) << out;
}

TEST_F(KolresTest, ShowAndStatus)
{
  int status = -1;
  std::string out = kolres("kolpltdom=eu", "-sh=plot_domain,prog", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "plot_domain    = eu                         [environment kolpltdom]\n"
            "prog           = kolres                     [program name]\n");

  out = kolres("", "-sh=plot_domain", &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "plot_domain      not set\n");
}

}  // namespace
