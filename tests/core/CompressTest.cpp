#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/TestData.h"
#include "core/BZlib.h"
#include "core/Buffer.h"
#include "core/Zlib.h"

using namespace KOL;

namespace {

// Text like the bulletins the library decompresses, long enough to span several deflate blocks.
std::string sampleText(int lines, int seed)
{
  std::string text;
  for (int i = 0; i < lines; i++) {
    int v = (i * 7919 + seed * 104729) % 1000;
    text += "METAR K" + std::to_string(100 + v % 900) + " 15" + std::to_string(1000 + v) + "Z " +
            std::to_string(v % 36) + "0" + std::to_string(5 + v % 20) + "KT 10SM FEW" +
            std::to_string(v % 250) + " " + std::to_string(v % 30) + "/0" + std::to_string(v % 9) +
            " A29" + std::to_string(10 + v % 89) + " RMK AO2=\n";
  }
  return text;
}

// Runs a system compressor (gzip, bzip2, ...) over data.
std::string compressWith(const std::string& command, const std::string& data)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("in"), data);
  return KOLTest::run(command + " < '" + dir.file("in") + "'");
}

Buffer bufferOf(const std::string& bytes)
{
  Buffer b;
  b.add(bytes.data(), static_cast<int>(bytes.size()));
  return b;
}

std::string usedText(const Buffer& b)
{
  return std::string(reinterpret_cast<const char*>(b.getData()), b.getUsed());
}

// Decodes all of in, stream after stream, appending to out. Returns the last status and counts
// the streams that reached their end.
int inflateAll(Zlib& z, Buffer& in, Buffer& out, int* streams)
{
  *streams = 0;
  for (;;) {
    out.check(out.getUsed() + 65536);
    out.seek(out.getUsed());
    int before = in.getLeft(), used = out.getUsed();
    int status = z.decomp(in, out);
    if (status == Z_STREAM_END) {
      ++*streams;
      if (in.getLeft() == 0) return status;
    } else if (status != Z_OK || (in.getLeft() == before && out.getUsed() == used)) {
      return status;
    }
  }
}

int bunzipAll(BZlib& z, Buffer& in, Buffer& out, int* streams)
{
  int status = BZ_OK;
  *streams = 0;
  while (in.getLeft() > 0) {
    int before = in.getLeft(), used = out.getUsed();
    status = z.decomp(in, out);
    if (status == BZ_STREAM_END)
      ++*streams;
    else if (status < 0 || (in.getLeft() == before && out.getUsed() == used))
      break;
  }
  // Whatever bzip2 still holds after the input is used up.
  while (status == BZ_OK) {
    int used = out.getUsed();
    status = z.decomp(in, out);
    if (status == BZ_STREAM_END) ++*streams;
    if (out.getUsed() == used) break;
  }
  return status;
}

TEST(Zlib, DecodesGzipStreamsBackToBack)
{
  std::string a = sampleText(3000, 1), b = sampleText(50, 2);
  std::string gz = compressWith("gzip -c", a) + compressWith("gzip -9 -c", b);
  ASSERT_GT(gz.size(), 100u);
  Buffer in = bufferOf(gz), out;
  Zlib z;
  int streams = 0;
  EXPECT_EQ(inflateAll(z, in, out, &streams), Z_STREAM_END);
  EXPECT_EQ(streams, 2);
  EXPECT_EQ(usedText(out), a + b);

  // Cut short: no stream end, and what came out is a prefix.
  Buffer cut = bufferOf(gz.substr(0, gz.size() / 4)), part;
  Zlib zc;
  EXPECT_NE(inflateAll(zc, cut, part, &streams), Z_STREAM_END);
  EXPECT_EQ(streams, 0);
  EXPECT_EQ(a.compare(0, part.getUsed(), usedText(part)), 0);
}

// Truncated streams are fuzz corpus files; corrupt data is said once, and trailing bytes that
// are no other stream are refused after the stream before them.
TEST(Zlib, CorruptDataIsOneMessage)
{
  std::string gz = compressWith("gzip -c", sampleText(2000, 5));
  for (size_t i = gz.size() / 3; i < gz.size() / 3 + 40; i++) gz[i] = static_cast<char>(~gz[i]);
  Buffer in = bufferOf(gz), out;
  Zlib z;
  int streams = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(inflateAll(z, in, out, &streams), Z_DATA_ERROR);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("Zlib: ", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  Buffer junk = bufferOf(compressWith("gzip -c", "abc") + "garbage!"), junkOut;
  Zlib z2;
  testing::internal::CaptureStderr();
  EXPECT_EQ(inflateAll(z2, junk, junkOut, &streams), Z_DATA_ERROR);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(streams, 1);
  EXPECT_EQ(usedText(junkOut), "abc");
}

TEST(Zlib, CompressesForAnyZlibReader)
{
  std::string text = sampleText(500, 6);
  std::string packed(text.size() + 1000, '\0');
  Zlib c(Zlib::COMPRESS);
  c.set(text.data(), static_cast<int>(text.size()), packed.data(), static_cast<int>(packed.size()));
  EXPECT_EQ(c.comp(Z_FINISH), Z_STREAM_END);
  packed.resize(packed.size() - c.getAvailOut());
  EXPECT_LT(packed.size(), text.size() / 3);

  std::string back = compressWith(
      "python3 -c \"import sys,zlib; "
      "sys.stdout.buffer.write(zlib.decompress(sys.stdin.buffer.read()))\"",
      packed);
  EXPECT_EQ(back, text);
}

TEST(BZlib, DecodesBzip2StreamsBackToBack)
{
  std::string a = sampleText(4000, 7), b = sampleText(30, 8);
  std::string bz = compressWith("bzip2 -c", a) + compressWith("bzip2 -1 -c", b);
  Buffer in = bufferOf(bz), out;
  BZlib z;
  int streams = 0;
  EXPECT_EQ(bunzipAll(z, in, out, &streams), BZ_STREAM_END);
  EXPECT_EQ(streams, 2);
  EXPECT_EQ(usedText(out), a + b);

  Buffer cut = bufferOf(bz.substr(0, bz.size() / 4)), part;
  BZlib zc;
  EXPECT_NE(bunzipAll(zc, cut, part, &streams), BZ_STREAM_END);
  EXPECT_EQ(streams, 0);
  EXPECT_EQ(a.compare(0, part.getUsed(), usedText(part)), 0);
}

TEST(BZlib, GarbageAndCorruptDataAreOneMessage)
{
  Buffer garbage = bufferOf("this is no bzip2 data"), out;
  BZlib z;
  int streams = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(bunzipAll(z, garbage, out, &streams), BZ_DATA_ERROR_MAGIC);
  EXPECT_EQ(z.decomp(garbage, out), BZ_DATA_ERROR_MAGIC);  // stays failed, no second message
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "BZlib: not a bzip2 stream (-5)\n");

  std::string bad = compressWith("bzip2 -c", sampleText(2000, 9));
  for (size_t i = bad.size() / 2; i < bad.size() / 2 + 64; i++) bad[i] = 'x';
  Buffer badIn = bufferOf(bad), badOut;
  BZlib z2;
  testing::internal::CaptureStderr();
  EXPECT_EQ(bunzipAll(z2, badIn, badOut, &streams), BZ_DATA_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "BZlib: corrupt data (-4)\n");
}

TEST(BZlib, CompressesForTheSystemDecompressor)
{
  std::string text = sampleText(800, 10);
  std::string packed(text.size() + 1000, '\0');
  BZlib c(BZlib::COMPRESS);
  c.setIn(text.data(), static_cast<int>(text.size()));
  c.setOut(packed.data(), static_cast<int>(packed.size()));
  EXPECT_EQ(c.comp(BZ_FINISH), BZ_STREAM_END);
  packed.resize(packed.size() - c.getAvailOut());
  EXPECT_EQ(compressWith("bzip2 -dc", packed), text);
}

}  // namespace
