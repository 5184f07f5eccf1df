#include "layers/UpaXSectPlot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "graphics/Plot.h"
#include "grid/anal/Places.h"
#include "layers/UpaXSectCont.h"
#include "layers/VarList.h"
#include "layers/XSectionPlot.h"
#include "layers/xsect/Barbs.h"
#include "obs/Calc.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"

namespace KOL {

namespace {

bool drawn(const std::string& name) { return name == "wbrb" || UpaXSectCont::known(name.c_str()); }

std::vector<UpaXSectPlot::Item> expand(const char* text)
{
  const char* varFile = StrLib::valid(Kol::resrc.get("var_file"), UpaXSectPlot::DEFAULT_VAR_FILE);
  VarList list, scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(text, scratch);
  std::vector<UpaXSectPlot::Item> out;
  for (int i = 0; i < list.getNum(); ++i)
    if (list.isParam(i) && drawn(list.getName(i)))
      out.push_back({list.getName(i), list.getFormat(i)});
  return out;
}

std::vector<std::string> words(const char* text, char sep)
{
  std::vector<std::string> out;
  Strings items;
  items.set(text ? text : "", sep, -1, nullptr);
  for (int i = 0; i < items.getNum(); ++i)
    if (StrLib::valid(items.getString(i))) out.push_back(items.getString(i));
  return out;
}

bool sameStation(const UpaData& d, const std::string& id)
{
  return StrLib::iequal(d.getId(), id.c_str()) || StrLib::iequal(d.getWmo(), id.c_str());
}

}  // namespace

void UpaXSectPlot::init()
{
  file.init();
  file.setNameConv(CONVENTION);
  stations.clear();
  variable = DEFAULT_VARIABLE;
  plotType.clear();
  params.clear();
  contour.clear();
  sync = 0;
  section = xsect::Section();
  soundings.clear();
  distances.clear();
  fileDate.init();
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("identifier"); StrLib::valid(t)) setStations(t);
  if (const char* t = r.get("variable"); StrLib::valid(t)) variable = t;
  if (const char* t = r.get("plot_type"); StrLib::valid(t)) plotType = t;
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

int UpaXSectPlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("in_file"); StrLib::valid(t)) setNameConv(t);
  if (const char* t = r.get("num_hour"); StrLib::valid(t)) file.setNumFiles(t);
  return 1;
}

int UpaXSectPlot::setNameConv(const char* conv)
{
  return StrLib::valid(conv) && file.setNameConv(conv);
}

int UpaXSectPlot::getDate(Date& d)
{
  if (file.getDate(d) && d.isSet()) return 1;
  d = fileDate;
  return d.isSet();
}

int UpaXSectPlot::setStations(const char* list)
{
  std::string text = list ? list : "";
  for (char& c : text)
    if (c == '/' || c == ',' || c == ' ') c = ';';
  stations = words(text.c_str(), ';');
  return static_cast<int>(stations.size());
}

int UpaXSectPlot::setParam(const char* text)
{
  if (!text) return 1;
  params = text;
  for (const std::string& token : words(text, ',')) {
    const char* t = token.c_str();
    const char* eq = std::strchr(t, '=');
    const char* value = eq ? eq + 1 : "";
    if (StrLib::iequal(t, "sync"))
      sync = 1;
    else if (StrLib::equal(t, "id", 2) && eq)
      setStations(value);
    else if (StrLib::equal(t, "va", 2) && eq) {
      variable = value;
      std::replace(variable.begin(), variable.end(), '/', ',');
    } else if (StrLib::equal(t, "pl", 2) && eq)
      plotType = value;
    else if (StrLib::equal(t, "top", 3) && eq)
      section.top = std::strtof(value, nullptr);
    else if (StrLib::equal(t, "bot", 3) && eq)
      section.bottom = std::strtof(value, nullptr);
    else
      contour += (contour.empty() ? "" : ",") + token;
  }
  return 1;
}

int UpaXSectPlot::read()
{
  soundings.clear();
  distances.clear();
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
  UpaKolFile in;
  if (!StrLib::valid(name) || !UpaKolFile::checkType(name) || !in.open(name, UpaKolFile::READ)) {
    Kol::outMessage(3, "UpaXSectPlot: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  fileDate = in.getDate();
  std::vector<UpaData> all;
  anal::Places places;
  for (UpaRawinData raw; in.read(raw); raw.init()) {
    UpaData d;
    EarthPoint e;
    if (!UpaTool::merge(raw, d) || !places.place(d.getLat(), d.getLon(), d.getId(), e)) continue;
    d.setLoc(e.lat, e.lon);
    all.push_back(d);
  }
  for (const std::string& id : stations)
    for (const UpaData& d : all)
      if (sameStation(d, id)) {
        const float leg = soundings.empty()
                              ? 0
                              : Calc::earthDist(soundings.back().getLat(),
                                                soundings.back().getLon(), d.getLat(), d.getLon());
        distances.push_back(distances.empty() ? 0 : distances.back() + leg);
        soundings.push_back(d);
        break;
      }
  if (soundings.size() < 2 || !(distances.back() > 0)) {
    Kol::outWarning("UpaXSectPlot: fewer than two of the stations in %s\n", name);
    return 0;
  }
  section.length = distances.back();
  return 1;
}

int UpaXSectPlot::getDomain(Domain& d)
{
  if (soundings.empty() && !read()) return 0;
  d = section.frame();
  return 1;
}

Grid UpaXSectPlot::sectionGrid(const char* name) const
{
  std::vector<xsect::Profile> profiles;
  for (size_t k = 0; k < soundings.size(); ++k) {
    xsect::Profile p{distances[k], std::vector<float>(section.rows, Const::FMISS)};
    for (int j = 0; j < section.rows; ++j) {
      UpaLevel l;
      if (soundings[k].interp(VCoord::PRESSURE, section.pressure(j), l) == 1)
        p.values[j] = UpaXSectCont::value(l, name);
    }
    profiles.push_back(std::move(p));
  }
  Grid g = xsect::fill(section, profiles);
  g.setVar(name);
  g.setUnits(UpaXSectCont::units(name));
  g.setDate(fileDate);
  g.setDatim("");
  return g;
}

std::vector<UpaXSectPlot::Item> UpaXSectPlot::items() const
{
  std::vector<Item> out = expand(variable.c_str());
  if (!out.empty()) return out;
  if (variable != DEFAULT_VARIABLE)
    Kol::outWarning("UpaXSectPlot: nothing to draw in %s, the standard section drawn\n",
                    variable.c_str());
  return expand(STANDARD_VARIABLE);
}

// The line of stations at the upper left, the soundings' time at the upper right.
void UpaXSectPlot::label(Plot& plot) const
{
  std::string line = "Cross section";
  for (size_t k = 0; k < soundings.size(); ++k)
    line += std::string(k ? " - " : " ") + soundings[k].getId();
  plot.setLabel("ul", line.c_str());
  plot.setLabel("ur", fileDate.isSet() ? fileDate.format("%H UTC %d %b %Y").c_str() : "");
  if (!plot.getDate().isSet()) plot.setDate(fileDate);
  plot.done();
}

int UpaXSectPlot::draw(Plot& plot)
{
  if (!read()) return 0;
  XSectionPlot frame;
  frame.setSection(section);
  for (size_t k = 0; k < soundings.size(); ++k) frame.addPlace(soundings[k].getId(), distances[k]);
  const std::vector<Item> wanted = items();
  std::vector<UpaXSectCont> conts;
  for (const Item& v : wanted) {
    if (!UpaXSectCont::known(v.name.c_str())) continue;
    UpaXSectCont& cont = conts.emplace_back();
    cont.setGrid(sectionGrid(v.name.c_str()), v.name.c_str());
    // the key's plot type and contour parameters win over the item's format
    std::string params = v.format;
    for (const std::string* more : {&plotType, &contour})
      if (!more->empty()) params += (params.empty() ? "" : ",") + *more;
    cont.setParam(params.c_str());
    if (cont.drawsBar()) XSectionPlot::reserveBar(plot);
  }
  for (UpaXSectCont& cont : conts) cont.draw(plot);
  frame.draw(plot);
  for (const Item& v : wanted)
    if (v.name == "wbrb")
      for (size_t k = 0; k < soundings.size(); ++k)
        xsect::drawBarbs(plot, section, soundings[k], distances[k]);
  label(plot);
  return 1;
}

void UpaXSectPlot::print()
{
  std::printf("UpaXSectPlot\n");
  file.print();
  std::printf("Stations: %zu, variable: %s, plot type: %s\n", stations.size(), variable.c_str(),
              plotType.c_str());
}

}  // namespace KOL
