#include "graphics/MapFile.h"

#include <cstdio>
#include <cstring>

#include "core/File.h"
#include "graphics/map/MapKmlReader.h"
#include "graphics/map/MapShapeReader.h"

namespace KOL {

void MapFile::init()
{
  records.clear();
  record = -1;
  point = 0;
  type = DETECT;
  open_ = false;
}

int MapFile::checkType(const char* bytes, int n)
{
  if (MapKolFile::checkType(bytes, n) == MapKolFile::TEXT) return TEXT;
  if (n >= 3 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0x27) return SHAPE;
  if (n >= 5 && std::memcmp(bytes, "<?xml", 5) == 0) return KML;
  return BINARY;
}

int MapFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "rb")) return DETECT;
  char head[100];
  return checkType(head, f.read(head, 1, sizeof head));
}

int MapFile::open(const char* name, int mode, int ptype)
{
  close();
  if (mode == MapKolFile::WRITE) {
    type = ptype == TEXT ? TEXT : BINARY;
    return open_ = kol.open(name, mode, type);
  }
  type = ptype == DETECT ? checkType(name) : ptype;
  if (type == SHAPE)
    open_ = MapShapeReader::read(name, records);
  else if (type == KML)
    open_ = MapKmlReader::read(name, records);
  else
    open_ = kol.open(name, mode, type == DETECT ? MapKolFile::DETECT : type);
  return open_;
}

int MapFile::close()
{
  kol.close();
  init();
  return 1;
}

int MapFile::rewind()
{
  record = -1;
  point = 0;
  return isRecords() ? open_ : kol.rewind();
}

int MapFile::readHeader(MapFileHeader& h)
{
  if (!open_) return 0;
  if (!isRecords()) return kol.readHeader(h);
  if (record + 1 >= static_cast<int>(records.size())) return 0;
  h = records[++record].header;
  point = 0;
  return 1;
}

int MapFile::readData(EarthPoint& e)
{
  if (!isRecords()) return kol.readData(e);
  if (record < 0 || record >= static_cast<int>(records.size())) return 0;
  return records[record].points.get(point++, e);
}

int MapFile::readData(EarthPoints& pts)
{
  if (!isRecords()) return kol.readData(pts);
  pts.clear();
  EarthPoint e;
  while (readData(e)) pts.add(e);
  return 1;
}

int MapFile::skipData()
{
  if (!isRecords()) return kol.skipData();
  if (record >= 0 && record < static_cast<int>(records.size()))
    point = records[record].points.getNum();
  return 1;
}

void MapFile::print() const
{
  std::printf("MapFile - type: %d segments: %d\n", type,
              isRecords() ? static_cast<int>(records.size()) : -1);
}

}  // namespace KOL
