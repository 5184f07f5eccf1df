// BUFR messages built bit by bit (operators, replication, associated fields, compression,
// hostile forms), the file scanner, and the real messages of the shared data against ecCodes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"

namespace {

using KOL::BufrFile;
using KOL::BufrMessage;
using KOL::BufrTable;
using KOL::Const;

// Section 4 bits, most significant first.
struct Bits {
  std::vector<uint8_t> bytes;
  size_t n = 0;
  Bits& put(uint64_t v, int width)
  {
    for (int k = width - 1; k >= 0; k--, n++) {
      if (n % 8 == 0) bytes.push_back(0);
      if ((v >> k) & 1) bytes.back() |= static_cast<uint8_t>(0x80 >> (n % 8));
    }
    return *this;
  }
  Bits& text(const std::string& s)
  {
    for (char c : s) put(static_cast<uint8_t>(c), 8);
    return *this;
  }
};

void put(std::vector<uint8_t>& m, uint64_t v, int octets)
{
  for (int k = octets - 1; k >= 0; k--) m.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

// An edition 4 message of master table version 33 from centre 98, 2024-01-02 03:04:05.
std::vector<uint8_t> message(const std::vector<int>& descriptors, const Bits& data, int subsets = 1,
                             bool compressed = false, int version = 33, int local = 0)
{
  std::vector<uint8_t> m = {'B', 'U', 'F', 'R', 0, 0, 0, 4};
  const uint8_t v = static_cast<uint8_t>(version), l = static_cast<uint8_t>(local);
  const uint8_t s1[] = {0, 0, 22, 0, 0, 98, 0, 0, 0, 0, 0, 0, 0, v, l, 0x07, 0xE8, 1, 2, 3, 4, 5};
  m.insert(m.end(), s1, s1 + sizeof s1);
  put(m, 7 + 2 * descriptors.size(), 3);
  m.push_back(0);
  put(m, subsets, 2);
  m.push_back(compressed ? 0xC0 : 0x80);
  for (int d : descriptors) put(m, (d / 100000) << 14 | (d / 1000 % 100) << 8 | d % 1000, 2);
  put(m, 4 + data.bytes.size(), 3);
  m.push_back(0);
  m.insert(m.end(), data.bytes.begin(), data.bytes.end());
  m.insert(m.end(), {'7', '7', '7', '7'});
  m[4] = static_cast<uint8_t>(m.size() >> 16);
  m[5] = static_cast<uint8_t>(m.size() >> 8);
  m[6] = static_cast<uint8_t>(m.size());
  return m;
}

class BufrTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    ASSERT_TRUE(table.load(KOLTest::databaseDir().c_str()));
  }
  // The rows of subset 0 as "descriptor=value" texts.
  std::vector<std::string> rows(const std::vector<uint8_t>& bytes, int subset = 0)
  {
    EXPECT_EQ(m.decode(bytes.data(), bytes.size(), table), 1);
    std::vector<std::string> out;
    for (const BufrMessage::Item& it : m.items(subset)) {
      char v[48];
      if (it.missing)
        snprintf(v, sizeof v, "-");
      else if (it.text)
        snprintf(v, sizeof v, "'%.*s'", static_cast<int>(m.text(it).size()), m.text(it).data());
      else
        snprintf(v, sizeof v, "%.10g", it.value);
      out.push_back(std::to_string(it.descriptor) + "=" + v);
    }
    return out;
  }
  BufrTable table;
  BufrMessage m;
};

using Rows = std::vector<std::string>;

// Each case: descriptors, data, the rows expected; what the real files of the oracle comparison
// below lack.
struct Case {
  const char* what;
  std::vector<int> descriptors;
  Bits data;
  Rows want;
};

TEST_F(BufrTest, ElementsOperatorsAndReplication)
{
  const Case cases[] = {
      {"2-01 widens, 2-02 rescales, both cancelled",
       {201132, 202129, 12101, 201000, 202000, 12101},
       Bits().put(273150, 20).put(27315, 16),
       {"12101=273.15", "12101=273.15"}},
      {"2-07 raises precision", {207001, 12101, 207000}, Bits().put(273150, 20), {"12101=273.15"}},
      {"2-03 new reference value, then cancelled",
       {203014, 7030, 203255, 7030, 203000, 7030},
       Bits().put(0x2000 | 1000, 14).put(50, 17).put(4050, 17),
       {"7030=-95", "7030=5"}},
      {"2-08 widens characters",
       {208008, 1015, 208000},
       Bits().text("ABCDEFGH"),
       {"1015='ABCDEFGH'"}},
      {"fixed replication of a sequence",
       {102002, 1001, 1002},
       Bits().put(1, 7).put(2, 10).put(3, 7).put(4, 10),
       {"1001=1", "1002=2", "1001=3", "1002=4"}},
      {"delayed repetition sends the data once",
       {101000, 31011, 1001},
       Bits().put(3, 8).put(5, 7),
       {"31011=3", "1001=5", "1001=5", "1001=5"}},
      {"associated field after its element; 0-31-021 has none",
       {204004, 31021, 12101, 204000, 1001},
       Bits().put(1, 6).put(15, 4).put(27315, 16).put(7, 7),
       {"31021=1", "12101=273.15", "999999=15", "1001=7"}},
      {"2-06 skips a local element",
       {206010, 12250, 1001},
       Bits().put(0, 10).put(9, 7),
       {"1001=9"}},
  };
  for (const Case& c : cases) EXPECT_EQ(rows(message(c.descriptors, c.data)), c.want) << c.what;
}

// ECMWF's local table 1 has 0-01-201 (8 bits); without a local table version it is refused.
TEST_F(BufrTest, LocalDescriptorsByTheCentresLocalTable)
{
  const Bits data = Bits().put(7, 7).put(5, 8);
  EXPECT_EQ(rows(message({1001, 1201}, data, 1, false, 33, 1)), (Rows{"1001=7", "1201=5"}));
  EXPECT_EQ(m.element(1201)->width, 8);
  EXPECT_TRUE(rows(message({1001, 1201}, data)).empty());
}

TEST_F(BufrTest, CompressedSubsets)
{
  // Two subsets: block 10 in both, temperatures 273.15 and missing, names "AB" and "CD".
  Bits d;
  d.put(10, 7).put(0, 6);
  d.put(27315, 16).put(1, 6).put(0, 1).put(1, 1);
  d.text("AB").put(2, 6).text("AB").text("CD");
  const auto bytes = message({1001, 12101, 205002}, d, 2, true);
  EXPECT_EQ(rows(bytes, 0), (Rows{"1001=10", "12101=273.15", "205002='AB'"}));
  EXPECT_EQ(rows(bytes, 1), (Rows{"1001=10", "12101=-", "205002='CD'"}));
}

TEST_F(BufrTest, HostileMessagesRefuseTheirSubsetsOnly)
{
  struct Hostile {
    const char* what;
    std::vector<int> descriptors;
    Bits data;
  } cases[] = {
      {"replication count beyond the data", {101000, 31001, 12101}, Bits().put(200, 8).put(1, 16)},
      {"local descriptor without a local table", {1001, 12250}, Bits().put(1, 7).put(0, 16)},
      {"unknown sequence", {362000}, Bits().put(0, 8)},
      {"substituted value without a bitmap", {12101, 223255}, Bits().put(1, 16).put(1, 16)},
      {"endless nested replication of nothing",
       {104255, 103255, 102255, 101255, 201000},
       Bits().put(0, 8)},
      {"replication beyond its descriptors", {105002, 1001}, Bits().put(0, 8)},
  };
  for (const Hostile& h : cases) {
    const auto bytes = message(h.descriptors, h.data);
    EXPECT_EQ(m.decode(bytes.data(), bytes.size(), table), 1) << h.what;
    EXPECT_EQ(m.decodedSubsets(), 0) << h.what;
  }
  // Uncompressed: the subsets before a bad one are kept.
  const auto two = message({101000, 31001, 1001}, Bits().put(1, 8).put(5, 7).put(250, 8), 2);
  ASSERT_EQ(m.decode(two.data(), two.size(), table), 1);
  EXPECT_EQ(m.decodedSubsets(), 1);
  EXPECT_EQ(m.getValue(0, 1001), 5);
}

TEST_F(BufrTest, SectionsThatDoNotFitAreRefused)
{
  const auto good = message({1001}, Bits().put(10, 7));
  // Total length beyond the bytes, section 4 beyond "7777", edition 1.
  for (auto [at, value] : {std::pair{6, good[6] + 8}, {8 + 22 + 9 + 2, 200}, {7, 1}}) {
    auto bad = good;
    bad[at] = static_cast<uint8_t>(value);
    EXPECT_EQ(m.decode(bad.data(), bad.size(), table), 0) << at;
  }
  EXPECT_EQ(m.decode(good.data(), good.size() - 1, table), 0);
}

TEST_F(BufrTest, SelfReferencingSequencesStop)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("bufr_b.lup"), "001001|Numeric|0|0|7|WMO block number\n");
  KOLTest::writeFile(dir.file("bufr_d.lup"),
                     "301250 001001 301250\n301251 301252\n301252 301251\n");
  BufrTable own;
  ASSERT_TRUE(own.load(dir.path().c_str()));
  for (int seq : {301250, 301251}) {
    const auto bytes = message({seq}, Bits().put(1, 7).put(2, 7));
    ASSERT_EQ(m.decode(bytes.data(), bytes.size(), own), 1);
    EXPECT_EQ(m.decodedSubsets(), 0) << seq;
  }
}

TEST_F(BufrTest, FileFindsMessagesBetweenJunkAndKeepsHeadings)
{
  const auto a = message({1001}, Bits().put(10, 7));
  const auto b = message({1001}, Bits().put(11, 7));
  std::string text = "\x01\r\r\n123\r\r\nISMD01 EDZW 010000 CCA\r\r\n";
  std::vector<uint8_t> feed(text.begin(), text.end());
  feed.insert(feed.end(), a.begin(), a.end());
  const char junk[] = "\r\r\n\x03 BUFR\x00\x00\x10 7777 IUSN40 EDZW 060000\r\r\n";
  feed.insert(feed.end(), junk, junk + sizeof junk - 1);
  feed.insert(feed.end(), b.begin(), b.end());
  feed.insert(feed.end(), {0, 0, 'N', 'N', 'N', 'N'});
  BufrFile file;
  file.setTable(&table);
  ASSERT_TRUE(file.open(feed.data(), feed.size()));
  std::vector<std::string> got;
  while (file.read(m))
    got.push_back(std::string(m.heading) + "/" +
                  std::to_string(static_cast<int>(m.getValue(0, 1001))));
  EXPECT_EQ(got, (std::vector<std::string>{"ISMD01 EDZW 010000 CCA/10", "/11"}));
}

// Every subset kolbufr dumps equals ecCodes' decode row by row; only subsets with local
// descriptors (no local tables here) may be refused.
TEST(BufrOracle, EveryFileEqualsEcCodes)
{
  std::string list;
  for (const char* suffix : {".bufr", ".bin"})
    for (const std::string& f : KOLTest::dataFiles("bufr", suffix)) list += " " + f;
  if (list.empty()) GTEST_SKIP() << "no test data at " << KOLTest::dataDir();
  int status = 0;
  const std::string out =
      KOLTest::run("python3 " + std::string(KOL_SOURCE_DIR) + "/tests/obs/bufr_expected.py " +
                       KOLTest::programPath("kolbufr") + " " + KOLTest::databaseDir() + list,
                   &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find(" differences 0"), std::string::npos) << out;
}

}  // namespace
