// Every program as a new user meets it: -help, and input that is missing, empty, of the wrong
// kind or a directory, and option values it does not know. Each refusal is one line naming the
// program, a non-zero exit status, and no sanitizer report.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/TestData.h"

namespace {

struct Program {
  const char* name;
  const char* args;  // what it needs beside its input
};

// The programs that read an input file named on the command line.
const Program READERS[] = {
    {"kolmetar", ""},
    {"kolsfc", "-cvt=out.cvt"},
    {"kolupa", ""},
    {"kolrad", ""},
    {"kolsat", ""},
    {"kolanal", "-va=temp -gd=conus -outf=out.grd"},
    {"kolgrib", ""},
    {"kolgridplot", "-va=500:hght -ou=out.png"},
    {"kolgridplot", "-pl=image -ou=out.png"},
    {"kolsfcplot", "-ou=out.png"},
    {"kolupaplot", "-ou=out.png"},
    {"kolxsect", "-id=OUN/FWD -ou=out.png"},
    {"kolskewt", "-id=OUN -ou=out.png"},
    {"kolmeteo", "-id=KOKC -ou=out.png"},
    {"kolingest", "-prodfile=none"},
};

class ProgramsMisuseTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    KOLTest::writeFile(dir.file("empty"), "");
    KOLTest::writeFile(dir.file("words.txt"), "nothing a program here reads\n");
    mkdir(dir.file("folder").c_str(), 0755);
  }
  // All the program prints, on either stream, and its exit status, run in the scratch directory.
  std::string run(const std::string& program, const std::string& args, int& status) const
  {
    return KOLTest::run("cd '" + dir.path() + "' && DISPLAY= '" + KOLTest::programPath(program) +
                            "' -fp=" + KOLTest::databaseDir() + " -cp=. -rp=. " + args +
                            " 2>&1 </dev/null",
                        &status);
  }
  void expectOneLineRefusal(const std::string& program, const std::string& args) const
  {
    SCOPED_TRACE(program + " " + args);
    int status = -1;
    const std::string err = run(program, args, status);
    EXPECT_NE(status, 0) << err;
    EXPECT_LT(status, 3) << "an exit, not a crash: " << err;
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
    ASSERT_FALSE(err.empty()) << "a refusal says why";
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    EXPECT_EQ(err.rfind(program + ": ", 0), 0u) << "the program speaks: " << err;
  }
  KOLTest::TempDir dir;
};

}  // namespace

TEST_F(ProgramsMisuseTest, HelpListsTheOptionsAndSucceeds)
{
  std::vector<std::string> names = {"kolres"};
  for (const Program& p : READERS) names.push_back(p.name);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    int status = -1;
    const std::string out = KOLTest::run(KOLTest::programPath(name) + " -help 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.rfind(name + " syntax", 0), 0u) << out;
    EXPECT_NE(out.find("Positional options"), std::string::npos) << out;
  }
}

TEST_F(ProgramsMisuseTest, InputThatCannotBeReadIsOneLine)
{
  for (const Program& p : READERS) {
    const std::string args = std::string(p.args) + " ";
    expectOneLineRefusal(p.name, args + "missing.file");
    expectOneLineRefusal(p.name, args + "folder");
    expectOneLineRefusal(p.name, args + "empty");
    expectOneLineRefusal(p.name, args + "words.txt");
  }
}

// A real file of one kind handed to a program of another.
TEST_F(ProgramsMisuseTest, FilesOfTheWrongKindAreOneLine)
{
  const std::string examples = std::string(KOL_SOURCE_DIR) + "/examples/";
  const std::string grib = examples + "grib/nam.t00z.awp21100.tm00.grib2";
  const std::string metar = examples + "metar/2020010600_sao.wmo";
  const std::string temp = examples + "upperair/72357_OUN_2011052212_temp.txt";
  const struct {
    const char* program;
    std::string input;
  } cases[] = {
      {"kolmetar", grib},   {"kolsfc", grib},    {"kolupa", grib},    {"kolrad", metar},
      {"kolsat", grib},     {"kolanal", metar},  {"kolgrib", metar},  {"kolgridplot", metar},
      {"kolsfcplot", grib}, {"kolskewt", metar}, {"kolingest", temp}, {"kolupaplot", grib},
      {"kolxsect", metar},  {"kolmeteo", grib},
  };
  for (const auto& c : cases)
    for (const Program& p : READERS)
      if (std::string(p.name) == c.program)
        expectOneLineRefusal(p.name, std::string(p.args) + " " + c.input);
}

// The radar and satellite programs handed each other's files (and a radar product without
// radial or raster data to draw), in every output they make.
TEST_F(ProgramsMisuseTest, RadarAndSatelliteFilesSwappedAreOneLine)
{
  KOL_REQUIRE_DATA();
  const std::string gini = KOLTest::dataFile("gini/TIGN02");
  const std::string nids = KOLTest::dataFile("nids/KOUN_SDUS54_N0RTLX_201305202016");
  const std::string wind = KOLTest::dataFile("nids/KOUN_SDUS34_NVWTLX_201305202016");
  for (const char* out : {"", "-out=csv ", "-ou=out.png "}) {
    expectOneLineRefusal("kolrad", out + gini);
    expectOneLineRefusal("kolsat", out + nids);
  }
  expectOneLineRefusal("kolrad", "-ou=out.png " + wind);
  expectOneLineRefusal("kolrad", "-out=csv " + wind);
  int status = -1;
  const std::string err = run("kolrad", "-ou=out.png " + gini, status);
  EXPECT_NE(err.find("GINI"), std::string::npos) << "says what the file is: " << err;
}

TEST_F(ProgramsMisuseTest, UnknownOptionValuesAreUsageErrors)
{
  const std::string metar = std::string(KOL_SOURCE_DIR) + "/examples/metar/2020010600_sao.wmo";
  const struct {
    const char* program;
    const char* args;
  } cases[] = {{"kolmetar", "-date=someday"},
               {"kolsfc", "-type=csv"},
               {"kolupa", "-da=someday"},
               {"kolrad", "-out=jpeg"},
               {"kolsat", "-out=jpeg"},
               {"kolgrib", "-out=text"},
               {"kolanal", "-va=temp -gd=conus -outf=x.grd -fm=ascii"},
               {"kolingest", "-prodfile=none -date=soon"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    int status = -1;
    const std::string err = run(c.program, std::string(c.args) + " " + metar, status);
    EXPECT_EQ(status, 2) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
  }
}

// Arguments a program cannot work with beside a readable input: one line that says which.
TEST_F(ProgramsMisuseTest, UnusableArgumentsAreOneLine)
{
  KOLTest::writeFile(dir.file("not_sfc.txt"), "no surface file\n");
  const std::string dom = "-gd=lamb:25:-95:25:25,38,-96,121,81,0.4,0.4 ";
  const std::string temp =
      std::string(KOL_SOURCE_DIR) + "/examples/upperair/72357_OUN_2011052212_temp.txt";
  const struct {
    const char* program;
    std::string args;
    const char* said;
  } cases[] = {
      {"kolanal", "-va=temp " + dom + "not_sfc.txt", "no output file"},
      {"kolanal", "-va=temp -outf=out.grd not_sfc.txt", "no domain"},
      {"kolanal", dom + "-outf=out.grd not_sfc.txt", "no variable"},
      {"kolanal", "-va=temp -oa=abc " + dom + "-outf=out.grd not_sfc.txt", "analysis parameters"},
      {"kolanal", "-va=temp -fm=grib " + dom + "-outf=out.grd not_sfc.txt", "format"},
      {"kolanal", "-va=temp " + dom + "-outf=out.grd not_sfc.txt", "surface file"},
      {"kolanal", "-va=temp -gd=nowhere_at_all -outf=out.grd not_sfc.txt", "unknown domain"},
      {"kolsfc", "-list not_sfc.txt", "cannot read not_sfc.txt"},
      {"kolgridplot", "-ou=out.png not_sfc.txt", "no variable list"},
      {"kolsfcplot", "-ou=out.png not_sfc.txt", "no surface report in the input"},
      {"kolsfcplot", "-ou=out.png '#1999010100'", "no surface file #1999010100"},
      {"kolskewt", "-id=OUN -ou=out.png", "upper-air file"},
      {"kolskewt", "-id=XYZ -ou=out.png " + temp, "XYZ"},
      {"kolskewt", "-id=OUN " + temp, "display"},
      {"kolgrib",
       "-msg=9999 -out=values " + std::string(KOL_SOURCE_DIR) +
           "/examples/grib/nam.t00z.awp21100.tm00.grib2",
       ""}};
  for (const auto& c : cases) {
    expectOneLineRefusal(c.program, c.args);
    int status = -1;
    EXPECT_NE(run(c.program, c.args, status).find(c.said), std::string::npos) << c.args;
  }
  for (const char* out : {"out.grd", "out.png"})
    EXPECT_TRUE(KOLTest::readFile(dir.file(out)).empty()) << out;
}

// The ingest's own message for a file without a bulletin, and the closing summary of a run that
// read no feed, are not said beside the program's line: one file, one line, on either stream.
TEST_F(ProgramsMisuseTest, IngestRefusesAFileWithoutBulletinsInOneLine)
{
  const std::string temp =
      std::string(KOL_SOURCE_DIR) + "/examples/upperair/72357_OUN_2011052212_temp.txt";
  for (const std::string& input : {std::string("empty"), std::string("words.txt"), temp}) {
    SCOPED_TRACE(input);
    int status = -1;
    const std::string out =
        KOLTest::run("cd '" + dir.path() + "' && '" + KOLTest::programPath("kolingest") +
                         "' -prodfile=none '" + input + "' 2>&1 </dev/null",
                     &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "kolingest: no WMO bulletin in " + input + "\n");
  }
}

// An -ou name ending in ".ps", ".eps", ".meta" or ".hpgl" selects that device and that very
// file, for every plotting program; nothing lands in the current directory.
TEST_F(ProgramsMisuseTest, OutputNamesSelectTheirDevice)
{
  KOL_REQUIRE_DATA();
  const std::string examples = std::string(KOL_SOURCE_DIR) + "/examples/";
  const struct {
    const char* program;
    std::string args;
  } plotters[] = {
      {"kolgridplot", "-va=500:hght " + KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2")},
      {"kolsfcplot", "-date=202001060030 " + examples + "metar/2020010600_sao.wmo"},
      {"kolskewt", "-id=OUN -cu=#201105221200 " +
                       KOLTest::dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt")},
      {"kolrad", KOLTest::dataFile("nids/KOUN_SDUS54_N0RTLX_201305202016")},
      {"kolsat", KOLTest::dataFile("gini/TIGN02")},
      {"kolupaplot",
       "-pd=china " + KOLTest::dataFile("bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr")},
  };
  const struct {
    const char* ext;
    const char* start;  // the file's first bytes
  } outputs[] = {
      {".ps", "%!PS"}, {".eps", "%!PS-Adobe-3.0 EPSF"}, {".meta", "KOLMETA2"}, {".hpgl", ""}};
  // Every plotter with one kind of output, every kind once.
  for (size_t k = 0; k < std::size(plotters); k++) {
    const auto& p = plotters[k];
    const auto& o = outputs[k % std::size(outputs)];
    const std::string file = dir.file(std::string("out/") + p.program + o.ext);
    SCOPED_TRACE(file);
    int status = -1;
    const std::string said = run(p.program, "-ou=" + file + " " + p.args, status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find(file), std::string::npos) << "names the file it wrote: " << said;
    const std::string text = KOLTest::readFile(file);
    EXPECT_GT(text.size(), 100u);
    EXPECT_EQ(text.rfind(o.start, 0), 0u) << text.substr(0, 40);
  }
  for (const char* stray : {"kol.ps", "meta.out", "kol.hpgl"})
    EXPECT_EQ(access(dir.file(stray).c_str(), F_OK), -1) << stray;
}
