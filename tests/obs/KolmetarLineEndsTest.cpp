// kolmetar on real feed captures saved with other line ends than the filed CR CR LF: every
// kind of line end gives the same records, and input without any report is an error.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "common/TestData.h"

namespace {

// The text with every line end (CR CR LF, CR LF or LF) replaced by the given one.
std::string withLineEnds(const std::string& text, const std::string& end)
{
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && (text.compare(i, 3, "\r\r\n") == 0 || text.compare(i, 2, "\r\n") == 0))
      continue;
    if (c == '\n')
      out += end;
    else
      out += c;
  }
  return out;
}

std::string records(const std::string& path, const std::string& args, int* status)
{
  return KOLTest::run(KOLTest::programPath("kolmetar") + " -out=csv -date=202001060030 " + args +
                          " " + path + " 2>/dev/null",
                      status);
}

int lineCount(const std::string& text)
{
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

struct Capture {
  const char* file;
  int minimum;  // records at least in the capture
};

TEST(KolmetarLineEndsTest, SameRecordsWhateverTheLineEnds)
{
  KOL_REQUIRE_DATA();
  const Capture captures[] = {{"metar/metpy_2020010600_sao.wmo", 20000},
                              {"bulletins/pywwa_METAR.txt", 10},
                              {"bulletins/pyiem_METAR_collective2.txt", 35},
                              {"bulletins/pyiem_METAR_kawn.txt", 2}};
  for (const Capture& capture : captures) {
    std::string original = KOLTest::readFile(KOLTest::dataFile(capture.file));
    ASSERT_FALSE(original.empty()) << capture.file;
    KOLTest::TempDir dir;
    std::string reference;
    const std::pair<const char*, const char*> ends[] = {
        {"CR CR LF", "\r\r\n"}, {"CR LF", "\r\n"}, {"LF", "\n"}, {"LF LF", "\n\n"}};
    for (const auto& [name, end] : ends) {
      std::string path = dir.file("capture.txt");
      KOLTest::writeFile(path, withLineEnds(original, end));
      int status = -1;
      std::string out = records(path, "", &status);
      EXPECT_EQ(status, 0) << capture.file << " " << name;
      EXPECT_GT(lineCount(out), capture.minimum) << capture.file << " " << name;
      if (reference.empty())
        reference = out;
      else
        EXPECT_EQ(out, reference) << capture.file << " " << name;
    }
  }
}

TEST(KolmetarLineEndsTest, NoReportIsAnError)
{
  KOLTest::TempDir dir;
  const char* inputs[] = {"", "\n\n\n",
                          "\x01\r\r\n123 \r\r\nSAUS70 KWBC 060000\r\r\nMETAR\r\r\n\x03",
                          "just some words\nand more\n"};
  for (const char* input : inputs) {
    KOLTest::writeFile(dir.file("in.txt"), input);
    int status = -1;
    std::string err = KOLTest::run(
        KOLTest::programPath("kolmetar") + " " + dir.file("in.txt") + " 2>&1 >/dev/null", &status);
    EXPECT_NE(status, 0) << input;
    EXPECT_NE(err.find("no report"), std::string::npos) << err;
  }
}

}  // namespace
