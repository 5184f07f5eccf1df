#include "graphics/map/MapShapeReader.h"

#include <shapefil.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/Kol.h"

namespace KOL {

namespace {

struct ShpClose {
  void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct DbfClose {
  void operator()(DBFInfo* h) const { DBFClose(h); }
};
struct ObjDestroy {
  void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

// shapelib's own complaints go to the debug messages; the reader reports once.
void shapeError(const char* text) { Kol::outDebug(1, "MapFile: shapelib: %s\n", text); }

SAHooks hooks()
{
  SAHooks h;
  SASetupDefaultHooks(&h);
  h.Error = shapeError;
  return h;
}

int nameField(DBFHandle dbf)
{
  if (!dbf) return -1;
  for (int i = 0; i < DBFGetFieldCount(dbf); ++i)
    if (DBFGetFieldInfo(dbf, i, nullptr, nullptr, nullptr) == FTString) return i;
  return -1;
}

std::string recordName(DBFHandle dbf, int field, int record)
{
  if (field < 0 || record >= DBFGetRecordCount(dbf)) return "";
  const char* s = DBFReadStringAttribute(dbf, record, field);
  return s ? s : "";
}

void addPart(const SHPObject& obj, int first, int end, const std::string& name, MapSegments& out)
{
  MapSegment seg;
  seg.points.reserve(end - first);
  for (int v = first; v < end; ++v)
    if (std::isfinite(obj.padfY[v]) && std::isfinite(obj.padfX[v]))
      seg.points.add(
          EarthPoint(static_cast<float>(obj.padfY[v]), static_cast<float>(obj.padfX[v])));
  if (seg.points.getNum() == 0) return;
  seg.finish(static_cast<int>(out.size()) + 1, name.c_str());
  out.push_back(std::move(seg));
}

void addObject(const SHPObject& obj, const std::string& name, MapSegments& out)
{
  const bool points = obj.nSHPType == SHPT_POINT || obj.nSHPType == SHPT_MULTIPOINT ||
                      obj.nSHPType == SHPT_POINTZ || obj.nSHPType == SHPT_MULTIPOINTZ ||
                      obj.nSHPType == SHPT_POINTM || obj.nSHPType == SHPT_MULTIPOINTM;
  if (points) {
    for (int v = 0; v < obj.nVertices; ++v) addPart(obj, v, v + 1, name, out);
    return;
  }
  const int parts = obj.nParts > 0 ? obj.nParts : 1;
  for (int p = 0; p < parts; ++p) {
    const int first = obj.nParts > 0 ? obj.panPartStart[p] : 0;
    const int end = obj.nParts > 0 && p + 1 < obj.nParts ? obj.panPartStart[p + 1] : obj.nVertices;
    if (first >= 0 && first < end && end <= obj.nVertices) addPart(obj, first, end, name, out);
  }
}

}  // namespace

int MapShapeReader::read(const char* path, MapSegments& out)
{
  out.clear();
  SAHooks h = hooks();
  std::unique_ptr<SHPInfo, ShpClose> shp(SHPOpenLL(path, "rb", &h));
  if (!shp) {
    Kol::outWarning("MapFile: unable to read shapefile (or its .shx index): %s\n", path);
    return 0;
  }
  std::unique_ptr<DBFInfo, DbfClose> dbf(DBFOpenLL(path, "rb", &h));
  const int field = nameField(dbf.get());
  int n = 0, type = 0;
  SHPGetInfo(shp.get(), &n, &type, nullptr, nullptr);
  int bad = 0;
  for (int i = 0; i < n; ++i) {
    std::unique_ptr<SHPObject, ObjDestroy> obj(SHPReadObject(shp.get(), i));
    if (!obj) {
      ++bad;
      continue;
    }
    addObject(*obj, recordName(dbf.get(), field, i), out);
  }
  if (bad) Kol::outWarning("MapFile: %d unreadable records in shapefile: %s\n", bad, path);
  return 1;
}

}  // namespace KOL
