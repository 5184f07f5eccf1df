#include "layers/UpaXSectCont.h"

#include <cstdio>
#include <cstring>

#include "graphics/Plot.h"
#include "layers/GridCont.h"
#include "obs/Calc.h"
#include "obs/UpaLevel.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;
constexpr float C0 = 273.15f;

struct Quantity {
  const char* name;
  const char* title;
  const char* units;
  const char* look;
  float (*value)(const UpaLevel&);
};

float kelvin(float c) { return c == MISS ? MISS : c + C0; }

// clang-format off
const Quantity QUANTITIES[] = {
  {"theta", "Potential temperature", "K", "ln,int=4,co=brown,wi=2", [](const UpaLevel& l) {
     return l.pres == MISS ? MISS : Calc::potTemp(kelvin(l.temp), l.pres);
   }},
  {"temp", "Temperature", "C", "ndln,int=5,co=blue", [](const UpaLevel& l) { return l.temp; }},
  {"dewp", "Dew point", "C", "ndln,int=5,co=darkgreen", [](const UpaLevel& l) { return l.dewp; }},
  {"wspd", "Wind speed", "knt",
   "cf,int=10,cb=>30,cof=lightcyan/paleturquoise/skyblue/deepskyblue/dodgerblue/blue/"
   "mediumblue/navy",
   [](const UpaLevel& l) { return l.spd; }},
  {"relh", "Relative humidity", "%", "cf,int=10,cb=>70,cof=palegreen/lightgreen/limegreen/green",
   [](const UpaLevel& l) { return Calc::relHum(kelvin(l.temp), kelvin(l.dewp)); }},
  {"rhum", "Relative humidity", "%", "cf,int=10,cb=>70,cof=palegreen/lightgreen/limegreen/green",
   [](const UpaLevel& l) { return Calc::relHum(kelvin(l.temp), kelvin(l.dewp)); }},
  {"hght", "Geopotential height", "m", "ln,int=600,co=black", [](const UpaLevel& l) { return l.hght; }},
};
// clang-format on

const Quantity* find(const char* name)
{
  for (const Quantity& q : QUANTITIES)
    if (name && !std::strcmp(name, q.name)) return &q;
  return nullptr;
}

}  // namespace

void UpaXSectCont::init()
{
  grid.init();
  name.clear();
  params.clear();
}

int UpaXSectCont::setParam(const char* text)
{
  params = text ? text : "";
  return 1;
}

void UpaXSectCont::setGrid(const Grid& g, const char* n)
{
  grid = g;
  name = n ? n : "";
}

bool UpaXSectCont::known(const char* n) { return find(n) != nullptr; }

const char* UpaXSectCont::units(const char* n)
{
  const Quantity* q = find(n);
  return q ? q->units : "";
}

const char* UpaXSectCont::look(const char* n)
{
  const Quantity* q = find(n);
  return q ? q->look : "ln";
}

float UpaXSectCont::value(const UpaLevel& l, const char* n)
{
  const Quantity* q = find(n);
  return q ? q->value(l) : MISS;
}

GridCont UpaXSectCont::layer() const
{
  // the section's own labels: the value ranges would crowd the places under the frame
  GridCont cont;
  cont.setParam(look(name.c_str()));
  cont.setParam("nolabel");
  if (!params.empty()) cont.setParam(params.c_str());
  return cont;
}

bool UpaXSectCont::drawsBar() const { return layer().drawsBar(); }

int UpaXSectCont::draw(Plot& plot)
{
  if (grid.getValid() <= 0) return 0;
  GridCont cont = layer();
  if (!cont.draw(plot, grid)) return 0;
  if (const Quantity* q = find(name.c_str())) {
    char info[80];
    std::snprintf(info, sizeof info, "%s [%s]", q->title, q->units);
    plot.setLabel("ul", info);
    plot.done();
  }
  return 1;
}

void UpaXSectCont::print()
{
  std::printf("UpaXSectCont\nQuantity: %s\nParams: %s\n", name.c_str(), params.c_str());
}

}  // namespace KOL
