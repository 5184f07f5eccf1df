// Warnings, watches, tropical products, ATCF decks, coded surface bulletins and MOS bulletins
// from arbitrary bytes: every reader must read what it can, stay inside the text, and list it.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/Kol.h"
#include "obs/text/BestTrack.h"
#include "obs/text/FrontBulletin.h"
#include "obs/text/JsonText.h"
#include "obs/text/MosBulletin.h"
#include "obs/text/TextProduct.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/TropicalProduct.h"
#include "obs/text/WarnEvents.h"
#include "obs/text/WarnProduct.h"
#include "obs/text/WatchProduct.h"

namespace {

template <class Reader>
void list(const KOL::TextProduct& p)
{
  Reader r;
  if (!r.parse(p)) return;
  KOL::JsonText j;
  j.beginObject();
  r.jsonFields(j);
  j.endObject();
  if (j.text().empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageMask(0);
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  KOL::TextProductFile file;
  file.setText(bytes);
  KOL::TextProduct p;
  KOL::WarnEvents events;
  while (file.read(p)) {
    list<KOL::WatchProduct>(p);
    list<KOL::TropicalProduct>(p);
    list<KOL::FrontBulletin>(p);
    list<KOL::MosBulletin>(p);
    KOL::WarnProduct w;
    if (w.parse(p)) {
      events.add(w);
      for (const auto& s : w.segments)
        for (const auto& pt : s.polygon)
          if (!std::isfinite(pt.first) || std::fabs(pt.first) > 1000) __builtin_trap();
    }
  }
  events.validAt(0);
  KOL::BestTrack track;
  if (track.parse(bytes)) {
    KOL::JsonText j;
    j.beginObject();
    track.jsonFields(j);
    j.endObject();
  }
  return 0;
}
