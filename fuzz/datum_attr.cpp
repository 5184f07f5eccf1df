// Station values drawn from arbitrary attribute texts, data texts and values: parsing, printing,
// value formats and every drawing type must stay within bounds. The picture is a small
// off-screen one with a few colours of its own (no database directory is needed).
#include <cstdint>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "geo/EarthPoint.h"
#include "graphics/ColorMap.h"
#include "graphics/Plot.h"
#include "layers/DatumAttr.h"
#include "layers/DatumPlot.h"
#include "obs/Datum.h"

namespace {

KOL::Plot& picture()
{
  static KOL::Plot plot;
  if (!plot.isOpen()) {
    KOL::Kol::setMessageMask(0);
    plot.open("de=i,,sz=64x64");
    plot.setDomain("lamb:25:-95:25:25,38,-95,41,27,1.2,1.2");
    for (const char* c : {"green", "red", "black"}) plot.getColorMap().add(c, 0.5f, 0.5f, 0.5f);
  }
  return plot;
}

float valueAt(const std::string& s, size_t i)
{
  float v = 0;
  if (s.size() >= i + sizeof v) std::memcpy(&v, s.data() + i, sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // attribute text, then a newline and the datum's text; values from the first bytes
  const size_t nl = bytes.find('\n');
  const std::string attr = bytes.substr(0, nl);
  const std::string text = nl == std::string::npos ? "" : bytes.substr(nl + 1);

  KOL::DatumAttr a(attr.c_str());
  a.print();

  KOL::DatumPlot dp;
  dp.setParam(attr.c_str());
  KOL::Datum d;
  d.setLoc(38.0f + valueAt(bytes, 8) * 1e-3f, -95.0f);
  d.setFormat(attr.c_str());
  d.setData(text.c_str());
  d.setValue(0, valueAt(bytes, 0));
  d.setValue(1, valueAt(bytes, 4));
  for (int type = 1; type <= 14; ++type) {
    d.setType(type);
    dp.draw(picture(), d);
  }
  return 0;
}
