#include "imagery/lev2/Container.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace KOL::lev2 {

namespace {

constexpr std::size_t CHUNK = 1 << 16;
// Output of a bzip2 stream guessed from its input before it grows (radial records inflate
// about 16 times; room never written costs no memory).
constexpr std::size_t GROWTH_GUESS = 24;

bool readWhole(const std::string& path, std::vector<uint8_t>& out)
{
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return false;
  uint8_t buf[CHUNK];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) out.insert(out.end(), buf, buf + n);
  const bool ok = !std::ferror(fp);
  std::fclose(fp);
  return ok;
}

bool gunzip(std::vector<uint8_t>& bytes, std::string& why)
{
  z_stream z{};
  if (inflateInit2(&z, 15 + 32) != Z_OK) return why = "cannot start zlib", false;
  std::vector<uint8_t> out(bytes.size() * 4 + CHUNK);
  z.next_in = bytes.data();
  z.avail_in = static_cast<uInt>(bytes.size());
  int st = Z_OK;
  while (st == Z_OK) {
    if (out.size() - z.total_out < CHUNK) out.resize(out.size() * 2);
    z.next_out = out.data() + z.total_out;
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - z.total_out, 1u << 30));
    st = inflate(&z, Z_NO_FLUSH);
    // gzip members stored back to back read as one file
    if (st == Z_STREAM_END && z.avail_in >= 2 && z.next_in[0] == 0x1f && z.next_in[1] == 0x8b)
      st = inflateReset(&z);
    if (st == Z_BUF_ERROR && z.avail_in > 0 && z.avail_out == 0) st = Z_OK;
  }
  out.resize(z.total_out);
  inflateEnd(&z);
  if (st != Z_STREAM_END) {
    why = "gzip data " + std::string(st == Z_BUF_ERROR ? "end early" : "are corrupt");
    if (out.empty()) return false;
  }
  bytes.swap(out);
  return true;
}

bool isDir(const std::string& path)
{
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool loadFolder(const std::string& path, std::vector<uint8_t>& out, std::string& why)
{
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(path, ec))
    if (e.is_regular_file(ec)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  for (const std::string& n : names)
    if (!readWhole(n, out)) return why = "cannot read " + n, false;
  if (names.empty()) return why = "no files in the folder", false;
  return true;
}

uint32_t be32(const uint8_t* p)
{
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool isBzip2(const uint8_t* p, std::size_t n)
{
  return n >= 4 && p[0] == 'B' && p[1] == 'Z' && p[2] == 'h' && p[3] >= '1' && p[3] <= '9';
}

}  // namespace

bool bunzip(const uint8_t* p, std::size_t n, Bytes& out, std::size_t& outSize, std::string& why)
{
  outSize = 0;
  bz_stream s{};
  if (BZ2_bzDecompressInit(&s, 0, 0) != BZ_OK) return why = "cannot start bzip2", false;
  if (out.size() < n * GROWTH_GUESS) out.resize(n * GROWTH_GUESS + CHUNK);
  s.next_in = const_cast<char*>(reinterpret_cast<const char*>(p));
  s.avail_in = static_cast<unsigned>(n);
  int st = BZ_OK;
  while (st == BZ_OK) {
    if (out.size() - outSize < CHUNK) out.resize(out.size() * 2);
    s.next_out = reinterpret_cast<char*>(out.data() + outSize);
    s.avail_out = static_cast<unsigned>(std::min<std::size_t>(out.size() - outSize, 1u << 30));
    const unsigned before = s.avail_out;
    st = BZ2_bzDecompress(&s);
    outSize += before - s.avail_out;
    // all input taken and room left over: the stream wants more than the record holds
    if (st == BZ_OK && s.avail_in == 0 && s.avail_out > 0) break;
  }
  BZ2_bzDecompressEnd(&s);
  if (st == BZ_STREAM_END) return true;
  why = st == BZ_OK                 ? "bzip2 stream ends early"
        : st == BZ_DATA_ERROR_MAGIC ? "not a bzip2 stream"
                                    : "corrupt bzip2 data";
  return false;
}

bool unwrap(std::vector<uint8_t>& bytes, std::string& why)
{
  if (bytes.size() >= 2 && bytes[0] == 0x1f && bytes[1] == 0x8b) return gunzip(bytes, why);
  if (!isBzip2(bytes.data(), bytes.size())) return true;
  Bytes out;
  std::size_t size = 0;
  const bool whole = bunzip(bytes.data(), bytes.size(), out, size, why);
  if (!whole && size == 0) return false;
  bytes.assign(out.begin(), out.begin() + static_cast<long>(size));
  return true;
}

std::vector<uint8_t> readHead(const std::string& path, std::size_t n)
{
  std::string file = path;
  if (isDir(path)) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path, ec))
      if (e.is_regular_file(ec)) names.push_back(e.path().string());
    if (names.empty()) return {};
    file = *std::min_element(names.begin(), names.end());
  }
  std::vector<uint8_t> out(n);
  int got = 0;
  if (gzFile gz = gzopen(file.c_str(), "rb")) {
    got = std::max(gzread(gz, out.data(), static_cast<unsigned>(n)), 0);
    gzclose(gz);
  }
  out.resize(static_cast<std::size_t>(got));
  if (isBzip2(out.data(), out.size())) {
    int err = BZ_OK;
    FILE* fp = std::fopen(file.c_str(), "rb");
    BZFILE* bz = fp ? BZ2_bzReadOpen(&err, fp, 0, 0, nullptr, 0) : nullptr;
    got = bz && err == BZ_OK ? BZ2_bzRead(&err, bz, out.data(), static_cast<int>(out.size())) : 0;
    out.resize(err == BZ_OK || err == BZ_STREAM_END ? static_cast<std::size_t>(std::max(got, 0))
                                                    : 0);
    if (bz) BZ2_bzReadClose(&err, bz);
    if (fp) std::fclose(fp);
  }
  return out;
}

bool loadVolume(const std::string& path, std::vector<uint8_t>& out, std::string& why)
{
  out.clear();
  if (isDir(path)) return loadFolder(path, out, why);
  if (!readWhole(path, out)) return why = "cannot read the file", false;
  return unwrap(out, why);
}

std::size_t readVolumeHeader(const uint8_t* p, std::size_t n, VolumeHeader& h)
{
  h = VolumeHeader();
  if (n < VOLUME_HEADER_SIZE ||
      (std::memcmp(p, "AR2V", 4) != 0 && std::memcmp(p, "ARCHIVE2", 8) != 0))
    return 0;
  auto text = [p](int at, int len) {
    std::string s(reinterpret_cast<const char*>(p) + at, len);
    s.erase(std::find(s.begin(), s.end(), '\0'), s.end());
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  };
  h.present = true;
  h.tape = text(0, 9);
  h.extension = text(9, 3);
  h.days = static_cast<long>(be32(p + 12));
  h.ms = static_cast<long>(be32(p + 16));
  h.icao = text(20, 4);
  return VOLUME_HEADER_SIZE;
}

std::vector<Record> splitRecords(const uint8_t* p, std::size_t n, std::size_t start)
{
  std::vector<Record> out;
  if (start >= n) return out;
  if (n - start < 8 || !isBzip2(p + start + 4, n - start - 4)) {
    out.push_back({start, n - start, false, false});
    return out;
  }
  std::size_t at = start;
  while (n - at >= 4) {
    const int32_t word = static_cast<int32_t>(be32(p + at));
    const std::size_t size =
        word == INT32_MIN ? 0
                          : static_cast<std::size_t>(word < 0 ? -static_cast<long>(word) : word);
    at += 4;
    if (size == 0) continue;
    Record r{at, std::min(size, n - at), isBzip2(p + at, n - at), size > n - at};
    out.push_back(r);
    at += r.size;
  }
  return out;
}

}  // namespace KOL::lev2
