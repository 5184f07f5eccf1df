#include "layers/ProfPlot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/Filename.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "graphics/Plot.h"
#include "layers/XSectionPlot.h"
#include "layers/xsect/Barbs.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"

namespace KOL {

namespace {

// The share of the time span left empty before the first sounding and after the last.
constexpr float PAD = 0.06f;

}  // namespace

void ProfPlot::init()
{
  conv = CONVENTION;
  station.clear();
  files.clear();
  numFiles = DEFAULT_FILES;
  step = DEFAULT_STEP;
  sync = 0;
  section = xsect::Section();
  soundings.clear();
  given = false;
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("in_file"); StrLib::valid(t)) setNameConv(t);
  if (const char* t = r.get("identifier"); StrLib::valid(t)) station = t;
  if (const char* t = r.get("num_hour"); StrLib::valid(t) && std::atoi(t) > 1)
    numFiles = std::atoi(t);
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

int ProfPlot::setNameConv(const char* c)
{
  if (!StrLib::valid(c)) return 0;
  conv = c;
  return 1;
}

int ProfPlot::setParam(const char* params)
{
  Strings items;
  items.set(params ? params : "", ',');
  for (int i = 0; i < items.getNum(); ++i) {
    const std::string t = items.getString(i) ? items.getString(i) : "";
    const size_t eq = t.find('=');
    const std::string key = t.substr(0, eq),
                      value = eq == std::string::npos ? "" : t.substr(eq + 1);
    if (StrLib::iequal(t.c_str(), "sync"))
      sync = 1;
    else if (key == "id" && !value.empty())
      station = value;
    else if (key == "nh" && std::atoi(value.c_str()) > 1)
      numFiles = std::atoi(value.c_str());
    else if (key == "step" && std::atoi(value.c_str()) > 0)
      step = std::atoi(value.c_str());
  }
  return 1;
}

// The files named, else the latest and those a step, two steps ... before it.
std::vector<std::string> ProfPlot::fileNames() const
{
  if (!files.empty()) return files;
  std::vector<std::string> out;
  for (int k = 0; k < numFiles; ++k) {
    Filename f;
    const std::string spec = k ? "la-" + std::to_string(k * step) : std::string("la");
    if (f.set(conv.c_str(), spec.c_str()) && f.exist()) out.push_back(f.getName());
  }
  return out;
}

bool ProfPlot::ofStation(const char* id, const char* wmo) const
{
  return StrLib::iequal(id, station.c_str()) || StrLib::iequal(wmo, station.c_str());
}

void ProfPlot::setSoundings(const std::vector<UpaData>& all)
{
  soundings.clear();
  for (const UpaData& d : all)
    if (ofStation(d.getId(), d.getWmo())) soundings.push_back(d);
  given = true;
}

int ProfPlot::read()
{
  if (given) return arrange();
  soundings.clear();
  for (const std::string& name : fileNames()) {
    UpaKolFile in;
    if (!in.open(name.c_str(), UpaKolFile::READ)) continue;
    for (UpaRawinData raw; in.read(raw); raw.init()) {
      if (!ofStation(raw.getId(), raw.getWmo())) continue;
      UpaData d;
      if (UpaTool::merge(raw, d)) {
        if (!d.getDate().isSet()) d.setDate(in.getDate());
        soundings.push_back(d);
      }
      break;
    }
  }
  return arrange();
}

int ProfPlot::arrange()
{
  std::sort(soundings.begin(), soundings.end(), [](const UpaData& a, const UpaData& b) {
    return a.getDate().getSeconds() < b.getDate().getSeconds();
  });
  if (soundings.size() < 2 || !(hours(soundings.size() - 1) > 0)) {
    Kol::outWarning("ProfPlot: fewer than two soundings of %s at different times\n",
                    station.c_str());
    return 0;
  }
  // room at both ends for the barbs of the first and last soundings
  section.length = hours(soundings.size() - 1) * (1 + 2 * PAD);
  return 1;
}

float ProfPlot::hours(size_t k) const
{
  return k < soundings.size() ? static_cast<float>(soundings[k].getDate().getSeconds() -
                                                   soundings[0].getDate().getSeconds()) /
                                    3600.0f
                              : 0.0f;
}

int ProfPlot::getDomain(Domain& d)
{
  if (!(section.length > 0) && !read()) return 0;
  d = section.domain();
  return 1;
}

int ProfPlot::draw(Plot& plot)
{
  if (!(section.length > 0) && !read()) return 0;
  XSectionPlot frame;
  frame.setSection(section);
  for (size_t k = 0; k < soundings.size(); ++k) {
    const float x = hours(k) + PAD * hours(soundings.size() - 1);
    frame.addPlace(soundings[k].getDate().format("%HZ %d").c_str(), x);
    xsect::drawBarbs(plot, section, soundings[k], x);
  }
  frame.draw(plot);
  const std::string title = "Wind profile " + std::string(soundings[0].getId());
  plot.setLabel("ul", title.c_str());
  plot.setLabel("ur", soundings.back().getDate().format("%H UTC %d %b %Y").c_str());
  if (!plot.getDate().isSet()) plot.setDate(soundings.back().getDate());
  plot.done();
  return 1;
}

void ProfPlot::print()
{
  std::printf("ProfPlot\nStation: %s, %d files %d h apart, sync %d\n", station.c_str(), numFiles,
              step, sync);
}

}  // namespace KOL
