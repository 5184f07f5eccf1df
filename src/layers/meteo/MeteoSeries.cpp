#include "layers/meteo/MeteoSeries.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "core/Const.h"
#include "obs/CloudLayer.h"
#include "obs/SfcData.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;
constexpr float HPA_PER_INHG = 33.8639f;

bool miss(float v) { return Const::isMiss(v); }

// Sky cover of a summary letter or okta digit; missing when unknown.
float coverOf(char c)
{
  switch (c) {
    case 'C':
      return 0.0f;
    case 'F':
      return 0.2f;
    case 'P':  // MEX "PC", partly cloudy
      return 0.5f;
    case 'S':
      return 0.4f;
    case 'B':
      return 0.75f;
    case 'O':
    case 'X':
      return 1.0f;
    default:
      break;
  }
  return c >= '0' && c <= '8' ? (c - '0') / 8.0f : MISS;
}

// "KOKC" is asked for as "OKC" too.
bool sameStation(const std::string& want, const char* id)
{
  if (!strcasecmp(want.c_str(), id)) return true;
  const size_t n = std::char_traits<char>::length(id);
  return n == want.size() + 1 && !strcasecmp(want.c_str(), id + 1);
}

float mosNumber(const MosBulletin::Station& s, const char* element, size_t c)
{
  const MosBulletin::Value* v = s.find(element, c);
  return v && v->numeric ? static_cast<float>(v->number) : MISS;
}

float celsius(float f) { return miss(f) ? MISS : (f - 32.0f) * 5.0f / 9.0f; }

}  // namespace

int MeteoSeries::addReport(const SfcData& s)
{
  if (!s.date.isSet()) return 0;
  if (station.empty()) station = s.id;
  if (!sameStation(station, s.id)) return 0;
  station = s.id;
  MeteoSample m{s.getSeconds(), s.temp, s.dewp, s.slp, s.wdir, s.wspd, MISS, MISS};
  if (miss(m.pres) && !miss(s.alt)) m.pres = s.alt * HPA_PER_INHG;
  if (s.ncld > 0) m.cover = coverOf(CloudLayer::letter(s.getCldCover()));
  m.prec = s.prec[SfcData::PREC1];
  samples.push_back(m);
  return 1;
}

int MeteoSeries::addMos(const MosBulletin::Station& s)
{
  if (station.empty()) station = s.id;
  if (!sameStation(station, s.id.c_str())) return 0;
  station = s.id;
  source = s.model + " MOS";
  probability = true;
  const bool twelve = std::none_of(s.rows.begin(), s.rows.end(),
                                   [](const MosBulletin::Row& r) { return r.element == "P06"; });
  precHours = twelve ? 12 : 6;
  const long run = Date(s.year, s.month, s.day, s.hour, s.minute, 0).getSeconds();
  for (size_t c = 0; c < s.hours.size(); ++c) {
    MeteoSample m{run + 3600L * s.hours[c],
                  celsius(mosNumber(s, "TMP", c)),
                  celsius(mosNumber(s, "DPT", c)),
                  MISS,
                  mosNumber(s, "WDR", c),
                  mosNumber(s, "WSP", c),
                  MISS,
                  mosNumber(s, "P06", c)};
    // the extended guidance: wind speed alone, 12-hour probabilities
    if (miss(m.wspd)) m.wspd = mosNumber(s, "WND", c);
    if (twelve) m.prec = mosNumber(s, "P12", c);
    if (!miss(m.wdir)) m.wdir *= 10;
    if (const MosBulletin::Value* v = s.find("CLD", c); v && v->text.size() == 2)
      m.cover = coverOf(v->text[0]);
    samples.push_back(m);
  }
  addExtremes(s, run);
  return 1;
}

// "X/N" starts with a maximum, "N/X" with a minimum; they alternate from there.
void MeteoSeries::addExtremes(const MosBulletin::Station& s, long run)
{
  for (const char* name : {"X/N", "N/X"}) {
    bool maximum = name[0] == 'X';
    for (size_t c = 0; c < s.hours.size(); ++c) {
      const float f = mosNumber(s, name, c);
      if (miss(f)) continue;
      MeteoSample& m = samples[samples.size() - s.hours.size() + c];
      if (m.time != run + 3600L * s.hours[c]) continue;
      m.extreme = celsius(f), m.maximum = maximum;
      maximum = !maximum;
    }
  }
}

void MeteoSeries::finish()
{
  std::stable_sort(samples.begin(), samples.end(),
                   [](const MeteoSample& a, const MeteoSample& b) { return a.time < b.time; });
  // The later of two samples of one time wins (a corrected report).
  std::vector<MeteoSample> kept;
  for (const MeteoSample& s : samples)
    if (!kept.empty() && kept.back().time == s.time)
      kept.back() = s;
    else
      kept.push_back(s);
  samples.swap(kept);
}

float MeteoSeries::value(const MeteoSample& s, Field f)
{
  switch (f) {
    case TEMP:
      return s.temp;
    case DEWP:
      return s.dewp;
    case PRES:
      return s.pres;
    case WIND:
      return s.wspd;
    case COVER:
      return s.cover;
    case PREC:
      return s.prec;
  }
  return MISS;
}

bool MeteoSeries::hasExtremes() const
{
  return std::any_of(samples.begin(), samples.end(),
                     [](const MeteoSample& s) { return !miss(s.extreme); });
}

float MeteoSeries::totalPrecipitation() const
{
  float sum = MISS;
  for (const MeteoSample& s : samples)
    if (!miss(s.prec)) sum = miss(sum) ? s.prec : sum + s.prec;
  return sum;
}

bool MeteoSeries::has(Field f) const
{
  return std::any_of(samples.begin(), samples.end(),
                     [f](const MeteoSample& s) { return !miss(value(s, f)); });
}

}  // namespace KOL
