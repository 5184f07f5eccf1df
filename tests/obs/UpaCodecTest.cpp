// The five-character groups of upper-air reports and of the own upper-air file, case by case:
// pressure and height (P), temperature and dew point (T), wind direction and speed (W).
#include <gtest/gtest.h>

#include <string>

#include "obs/UpaKolFile.h"

namespace {

using KOL::UpaKolFile;

constexpr float NONE = KOL::Const::FMISS;

int decode(char kind, const char* group, float& a, float& b)
{
  return kind == 'P'   ? UpaKolFile::decodePH(group, a, b)
         : kind == 'T' ? UpaKolFile::decodeTD(group, a, b)
                       : UpaKolFile::decodeWD(group, a, b);
}

std::string encode(char kind, float a, float b)
{
  return kind == 'P'   ? UpaKolFile::encodePH(a, b)
         : kind == 'T' ? UpaKolFile::encodeTD(a, b)
                       : UpaKolFile::encodeWD(a, b);
}

// Groups read, and written back the same where ok; refused groups read as missing.
TEST(UpaCodecTest, GroupsReadAndWrittenBack)
{
  // P: heights by level in metres or decametres, less the thousands the figures leave out;
  // T: the tenth's parity is the sign, depressions up to 5 C in tenths, then degrees + 50;
  // W: hundreds of knots in the direction's last figure.
  const struct {
    char kind;
    const char* group;
    int ok;
    float a, b;
  } cases[] = {{'P', "85512", 1, 850, 1512},      {'P', "70997", 1, 700, 2997},
               {'P', "70012", 1, 700, 3012},      {'P', "50570", 1, 500, 5700},
               {'P', "25047", 1, 250, 10470},     {'P', "00512", 1, 1000, -12},
               {'P', "00104", 1, 1000, 104},      {'P', "92839", 1, 925, 839},
               {'P', "30950", 1, 300, 9500},      {'P', "10646", 1, 100, 16460},
               {'P', "01112", 1, 10, 31120},      {'P', "-7500", 1, 7, 35000},
               {'P', "85/", 1, 850, NONE},        {'P', "X", 0, NONE, NONE},
               {'P', "99999", 0, NONE, NONE},     {'P', "99123", 0, NONE, NONE},
               {'P', "", 0, NONE, NONE},          {'P', "//123", 0, NONE, NONE},
               {'T', "15258", 1, 15.2f, 7.2f},    {'T', "15330", 1, -15.3f, -18.3f},
               {'T', "00050", 1, 0, -5.0f},       {'T', "10299", 1, 10.2f, NONE},
               {'T', "12398", 1, -12.3f, -60.3f}, {'T', "999//", 0, NONE, NONE},
               {'T', "/////", 0, NONE, NONE},     {'W', "27515", 1, 275, 15},
               {'W', "27615", 1, 275, 115},       {'W', "36005", 1, 360, 5},
               {'W', "09702", 1, 95, 202},        {'W', "99999", 0, NONE, NONE},
               {'W', "/////", 0, NONE, NONE},     {'W', "37010", 0, NONE, NONE},
               {'W', "27751", 0, NONE, NONE},     {'W', "2751", 0, NONE, NONE}};
  for (const auto& c : cases) {
    float a, b;
    EXPECT_EQ(decode(c.kind, c.group, a, b), c.ok) << c.group;
    EXPECT_NEAR(a, c.a, 1e-4) << c.group;
    EXPECT_NEAR(b, c.b, 1e-4) << c.group;
    EXPECT_EQ(c.ok ? encode(c.kind, c.a, c.b) : c.group, c.group);
  }
  // DD 51 to 55 are not used: the dew point is missing, the temperature stays.
  float t, td;
  EXPECT_EQ(UpaKolFile::decodeTD("10253", t, td), 1);
  EXPECT_EQ(td, NONE);
}

// What is written for values no group gives back as they are.
TEST(UpaCodecTest, GroupsWrittenForOtherValues)
{
  // T: tenths made even for a positive temperature, odd for a negative one; depressions 5.1 to
  // 5.9 are 50; the file holds 48 C where reports reach 49. W: nearest 5 degrees, speed cut to
  // whole knots. What no group holds is missing.
  const struct {
    char kind;
    float a, b;
    const char* group;
  } cases[] = {
      {'P', NONE, NONE, "99999"},      {'P', 850, 1e30f, "85/"},     {'P', 1e30f, 1e30f, "99999"},
      {'T', 15.3f, 15.3f, "15200"},    {'T', -12.4f, NONE, "12599"}, {'T', 10, 4.5f, "10050"},
      {'T', 6.6f, 6.6f - 49, "06698"}, {'T', 20, -90, "20099"},      {'T', NONE, 3, "99999"},
      {'T', 150, 0, "99999"},          {'T', -1e30f, 0, "99999"},    {'W', 273, 14.7f, "27514"},
      {'W', -1, 10, "99999"},          {'W', 270, 500, "99999"},     {'W', 1e30f, 10, "99999"}};
  for (const auto& c : cases)
    EXPECT_EQ(encode(c.kind, c.a, c.b), c.group) << c.kind << " " << c.a << " " << c.b;
}

}  // namespace
