#include "obs/SfcReports.h"

#include <cstring>

#include "core/Kol.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTool.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

namespace KOL {

namespace {
constexpr long ROUND_UP = 600;  // minutes 50 and above belong to the next hour
}

void SfcReports::add(const SfcData& s, bool correction)
{
  long hour = (s.getSeconds() + ROUND_UP) / HOUR * HOUR;
  std::vector<SfcData>& records = hours_[hour];
  auto [it, fresh] = index_.try_emplace({hour, s.id}, records.size());
  if (fresh) {
    records.push_back(s);
    ++count_;
    return;
  }
  SfcData& kept = records[it->second];
  if (s.getSeconds() == kept.getSeconds()) {
    if (correction) {
      kept = s;
    } else {
      SfcData merged = s;
      merged.update(kept, SfcData::ALL);  // the kept values win, the repeat fills gaps
      kept = merged;
    }
  } else if (s.getSeconds() > kept.getSeconds()) {
    kept.update(s, SfcData::ALL);
    kept.date = s.date;
  }
}

bool SfcReports::decode(const SfcWmoData& w, SfcData& s)
{
  switch (w.format) {
    case SfcWmoData::METAR:
    case SfcWmoData::SPECI:
      return MetarTool::decode(w, s) && s.type != 0;
    case SfcWmoData::SA:
    case SfcWmoData::SP:
      return SaoTool::decode(w, s) != 0;
    default:
      return SynopTool::decode(w, s) != 0;
  }
}

int SfcReports::read(const char* name, const Date& reference)
{
  SfcWmoFile file;
  if (!file.open(name)) {
    Kol::outError("SfcReports: cannot open %s\n", name ? name : "");
    return 0;
  }
  file.setDate(reference);
  SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (decode(w, s) && s.date.isSet()) add(s, file.isCorrection());
  }
  readBufr(name);
  return 1;
}

// The BUFR surface messages of the same file (headings IS.., IO..), beside the text reports.
void SfcReports::readBufr(const char* name)
{
  BufrFile file;
  if (!file.open(name)) return;
  BufrMessage m;
  SfcData s;
  while (file.read(m)) {
    if (!BufrTool::isSurface(m)) continue;
    // "CCx" after the heading's time marks a correction.
    const bool correction =
        std::strlen(m.heading) == 22 && m.heading[19] == 'C' && m.heading[20] == 'C';
    for (int k = 0; k < m.decodedSubsets(); k++)
      if (BufrTool::toSfc(m, k, s)) add(s, correction);
  }
}

long SfcReports::busiestHour() const
{
  long hour = 0;
  size_t most = 0;
  for (const auto& [h, records] : hours_)
    if (records.size() > most) most = records.size(), hour = h;
  return hour;
}

}  // namespace KOL
