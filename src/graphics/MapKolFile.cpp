#include "graphics/MapKolFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Swap.h"

namespace KOL {

namespace {

constexpr int POINT_BYTES = 8;
constexpr int HEADER_PROBE = 100;

bool finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

}  // namespace

void MapKolFile::init()
{
  path.clear();
  mode = READ;
  binary = true;
  size = 0;
  remaining = written = seg_count = 0;
}

int MapKolFile::checkType(const char* bytes, int n)
{
  char head[HEADER_PROBE + 1];
  if (n > HEADER_PROBE) n = HEADER_PROBE;
  std::memcpy(head, bytes, n > 0 ? n : 0);
  head[n > 0 ? n : 0] = '\0';
  // the header is the first line alone: numbers on the next line do not complete it
  if (char* eol = std::strchr(head, '\n')) eol[1] = '\0';
  int count, id;
  float a, b, c, d;
  return std::sscanf(head, "%d %f %f %f %f %d\n", &count, &a, &b, &c, &d, &id) == 6 ? TEXT : BINARY;
}

int MapKolFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "rb")) return 0;
  char head[HEADER_PROBE];
  const int n = f.read(head, 1, HEADER_PROBE);
  return checkType(head, n);
}

int MapKolFile::open(const char* name, int pmode, int type)
{
  close();
  if (!name || !*name || !FileTool::checkLength("MapKolFile", name)) return 0;
  path = name;
  mode = pmode == WRITE ? WRITE : READ;
  if (mode == WRITE) {
    binary = type != TEXT;
    return file.open(name, binary ? "wb" : "w");
  }
  if (type == DETECT) type = checkType(name);
  if (type == 0 || !file.open(name, "rb")) {
    Kol::outWarning("MapKolFile: unable to open map file: %s\n", name);
    return 0;
  }
  binary = type != TEXT;
  size = FileTool::getSize(name);
  if (path.size() > 4) {
    const std::string db = path.substr(0, path.size() - 4) + ".mdb";
    mdb = std::make_unique<File>();
    if (FileTool::isFile(db.c_str()) && mdb->open(db.c_str(), "r"))
      mdb->skipLine();
    else
      mdb.reset();
  }
  return 1;
}

int MapKolFile::close()
{
  if (mdb) mdb.reset();
  if (file.isOpen()) file.close();
  remaining = written = seg_count = 0;
  return 1;
}

int MapKolFile::seek(long offset)
{
  if (!file.isOpen()) return 0;
  remaining = 0;
  if (mdb && offset == 0) {
    mdb->seek(0, SEEK_SET);
    mdb->skipLine();
  }
  return file.seek(offset, SEEK_SET);
}

int MapKolFile::fail(const char* what)
{
  Kol::outWarning("MapKolFile: %s: %s\n", what, path.c_str());
  remaining = 0;
  file.seek(0, SEEK_END);
  return 0;
}

int MapKolFile::readCount(int& count)
{
  const Swap swap(Swap::BIG);
  uint16_t part;
  count = 0;
  for (int i = 0; i < 3; ++i) {
    if (swap.readUInt2(file, &part) != 1) return i == 0 ? -1 : 0;
    count += part;
    if (part != 65535) break;
  }
  return 1;
}

int MapKolFile::readBinaryHeader(MapFileHeader& h)
{
  const int got = readCount(h.count);
  if (got < 0) return 0;  // the end of the file, between segments
  const Swap swap(Swap::BIG);
  float range[4];
  int32_t id;
  if (!got || swap.readFloat(file, range, 4) != 4 || swap.readInt4(file, &id) != 1)
    return fail("segment header cut short");
  h.lat2 = range[0], h.lat1 = range[1], h.lon2 = range[2], h.lon1 = range[3];
  h.id = id;
  const long left = size - file.tell();
  if (static_cast<long>(h.count) * POINT_BYTES > left)
    return fail("segment count beyond the end of the file");
  return 1;
}

int MapKolFile::readTextHeader(MapFileHeader& h)
{
  long id;
  const int n = file.scanf("%d %f %f %f %f %ld", &h.count, &h.lat2, &h.lat1, &h.lon2, &h.lon1, &id);
  if (n == EOF || (n == 0 && file.endFile())) return 0;
  if (n != 6) return fail("bad segment header");
  if (h.count < 0 || h.count > size / 4) return fail("segment count beyond the end of the file");
  h.id = static_cast<int>(id);
  return 1;
}

void MapKolFile::readName(MapFileHeader& h)
{
  h.name[0] = '\0';
  char line[256], w1[80], w2[80], w3[MapFileHeader::NAME_SIZE];
  if (mdb && mdb->getLine(line, sizeof line) > 0 &&
      std::sscanf(line, "%79s %79s %49s", w1, w2, w3) == 3)
    h.setName(w3);
}

int MapKolFile::readHeader(MapFileHeader& h)
{
  if (!file.isOpen() || mode != READ) return 0;
  if (remaining > 0) skipData();
  h.init();
  if (!(binary ? readBinaryHeader(h) : readTextHeader(h))) return 0;
  if (!finite(h.lat1, h.lat2) || !finite(h.lon1, h.lon2)) return fail("segment range not a number");
  remaining = h.count;
  readName(h);
  return 1;
}

int MapKolFile::readData(EarthPoint& e)
{
  if (remaining <= 0 || !file.isOpen()) return 0;
  float v[2];
  if (binary) {
    if (Swap(Swap::BIG).readFloat(file, v, 2) != 2) return fail("segment cut short");
  } else if (file.scanf("%f %f", &v[0], &v[1]) != 2) {
    return fail("segment cut short");
  }
  if (!finite(v[0], v[1])) return fail("point not a number");
  e.set(v[0], v[1]);
  --remaining;
  return 1;
}

int MapKolFile::readData(EarthPoints& pts)
{
  pts.clear();
  pts.reserve(remaining < 5000 ? remaining : 5000);
  EarthPoint e;
  while (remaining > 0)
    if (readData(e))
      pts.add(e);
    else
      return 0;
  return 1;
}

int MapKolFile::skipData()
{
  if (remaining <= 0) return 1;
  if (binary) {
    const int ok = file.seek(static_cast<long>(remaining) * POINT_BYTES, SEEK_CUR);
    remaining = 0;
    return ok;
  }
  EarthPoint e;
  while (remaining > 0)
    if (!readData(e)) return 0;
  return 1;
}

int MapKolFile::writeHeader(const MapFileHeader& h)
{
  if (!file.isOpen() || mode != WRITE || h.count < 0 || h.count > MAX_COUNT) return 0;
  seg_count = h.count;
  written = 0;
  if (!binary)
    return file.printf("%4d %9.4f %9.4f %9.4f %9.4f %5d\n", h.count, h.lat2, h.lat1, h.lon2, h.lon1,
                       h.id) > 0;
  // Counts beyond one 16-bit value continue in the parts the reader adds up.
  const Swap swap(Swap::BIG);
  int left = h.count;
  for (int i = 0; i < 3; ++i) {
    const int part = left >= 65535 ? 65535 : left;
    swap.writeInt2(file, static_cast<int16_t>(static_cast<uint16_t>(part)));
    left -= part;
    if (part < 65535) break;
  }
  const float range[4] = {h.lat2, h.lat1, h.lon2, h.lon1};
  return swap.writeFloat(file, range, 4) == 4 && swap.writeInt4(file, h.id) == 1;
}

int MapKolFile::writeData(const EarthPoint& e)
{
  if (!file.isOpen() || mode != WRITE || written >= seg_count) return 0;
  ++written;
  if (binary) {
    const float v[2] = {e.lat, e.lon};
    return Swap(Swap::BIG).writeFloat(file, v, 2) == 2;
  }
  const bool eol = written % 4 == 0 || written == seg_count;
  return file.printf("%8.4f %9.4f%s", e.lat, e.lon, eol ? "\n" : "") > 0;
}

void MapKolFile::print() const { std::printf("MapKolFile - binary: %d\n", binary ? 1 : 0); }

}  // namespace KOL
