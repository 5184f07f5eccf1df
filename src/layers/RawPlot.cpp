#include "layers/RawPlot.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/plot/PlotParams.h"
#include "layers/SfcPlot.h"
#include "layers/varplot/LayerParams.h"
#include "obs/SfcFile.h"

namespace KOL {

namespace {

std::vector<std::string> splitRow(const std::string& line, char sep)
{
  std::vector<std::string> out;
  size_t s = 0;
  while (s <= line.size()) {
    if (sep == ' ') {
      s = line.find_first_not_of(" \t", s);
      if (s == std::string::npos) break;
    }
    size_t e = sep == ' ' ? line.find_first_of(" \t", s) : line.find(sep, s);
    if (e == std::string::npos) e = line.size();
    std::string f = line.substr(s, e - s);
    f.erase(0, f.find_first_not_of(" \t"));
    f.erase(f.find_last_not_of(" \t\r\n") + 1);
    out.push_back(f);
    s = e + 1;
  }
  return out;
}

long timeOf(const std::string& t)
{
  int y, mo, d, h = 0, mi = 0;
  if (std::sscanf(t.c_str(), "%4d-%2d-%2dT%2d:%2d", &y, &mo, &d, &h, &mi) >= 3 ||
      std::sscanf(t.c_str(), "%4d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi) >= 3)
    return Date(y, mo, d, h, mi, 0.0f).getSeconds();
  return Const::MISS;
}

// Where a column's value goes; false for a name no surface variable has.
bool store(SfcData& s, const std::string& name, const std::string& v)
{
  if (v.empty()) return true;
  struct Field {
    const char* name;
    float SfcData::*member;
  };
  static const Field FIELDS[] = {
      {"temp", &SfcData::temp}, {"dewp", &SfcData::dewp}, {"wdir", &SfcData::wdir},
      {"wspd", &SfcData::wspd}, {"gust", &SfcData::gust}, {"slp", &SfcData::slp},
      {"alt", &SfcData::alt},   {"vis", &SfcData::vis},   {"maxt", &SfcData::maxt},
      {"mint", &SfcData::mint}, {"snow", &SfcData::snow}, {"elev", &SfcData::elev},
      {"lat", &SfcData::lat},   {"lon", &SfcData::lon}};
  for (const Field& f : FIELDS)
    if (!strcasecmp(name.c_str(), f.name)) {
      char* end = nullptr;
      const float x = std::strtof(v.c_str(), &end);
      if (end != v.c_str() && !*end) s.*f.member = x;
      return true;
    }
  if (!strcasecmp(name.c_str(), "id") || !strcasecmp(name.c_str(), "station"))
    return s.setId(v.c_str()), true;
  if (!strcasecmp(name.c_str(), "name")) return s.setName(v.c_str()), true;
  if (!strcasecmp(name.c_str(), "wx")) return s.setWeather(v.c_str()), true;
  if (!strcasecmp(name.c_str(), "prec"))
    return s.prec[SfcData::PREC1] = std::strtof(v.c_str(), nullptr), true;
  if (!strcasecmp(name.c_str(), "time")) {
    const long t = timeOf(v);
    if (t != Const::MISS) s.date.set(t);
    return true;
  }
  return false;
}

}  // namespace

RawPlot::RawPlot() : surface(std::make_unique<SfcPlot>()) { init(); }

RawPlot::~RawPlot()
{
  if (!scratch.empty()) unlink(scratch.c_str());
}

void RawPlot::init()
{
  file.init();
  file.setNameConv(StrLib::valid(Kol::resrc.get("in_file"), CONVENTION));
  surface->init();
  if (!StrLib::valid(Kol::resrc.get("variable"))) surface->setVariable("sfc");  // station models
  rows.clear();
  minValue = maxValue = Const::FMISS;
  sync = 0;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int RawPlot::setFilename(Date& d)
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile(d, "la");
}

int RawPlot::getDate(Date& d)
{
  d.init();
  for (const SfcData& s : rows)
    if (s.date.isSet() && (!d.isSet() || s.date > d)) d = s.date;
  return d.isSet() || (file.getDate(d) && d.isSet());
}

int RawPlot::setParam(const char* text)
{
  std::string others;
  for (const std::string& t : varplot::splitParams(text, {"va"}).tokens) {
    const std::string v = PlotParams::valueOf(t, t.size());
    if (!strncasecmp(t.c_str(), "nc=", 3) || !strncasecmp(t.c_str(), "if=", 3))
      setNameConv(v.c_str());
    else if (!strcasecmp(t.c_str(), "sync"))
      sync = 1;
    else if (!strncasecmp(t.c_str(), "min=", 4))
      minValue = std::strtof(v.c_str(), nullptr);
    else if (!strncasecmp(t.c_str(), "max=", 4))
      maxValue = std::strtof(v.c_str(), nullptr);
    else if (!strncasecmp(t.c_str(), "va=", 3))
      surface->setVariable(v.c_str());
    else
      others += (others.empty() ? "" : ",") + t;  // va, tz, pl and the station-model keys
  }
  if (!others.empty()) surface->setParam(others.c_str());
  return 1;
}

int RawPlot::parse(std::FILE* in, const char* name)
{
  std::vector<std::string> header;
  char sep = ',';
  char buf[2048];
  int skipped = 0, number = 0;
  while (std::fgets(buf, sizeof buf, in)) {
    ++number;
    std::string line(buf);
    line.erase(line.find_last_not_of("\r\n") + 1);
    if (line.empty() || line[0] == '#') continue;
    if (header.empty()) {
      sep = line.find(',') != std::string::npos   ? ','
            : line.find(';') != std::string::npos ? ';'
            : line.find('|') != std::string::npos ? '|'
                                                  : ' ';
      header = splitRow(line, sep);
      std::string unknown;
      for (const std::string& h : header) {
        SfcData probe;
        if (!store(probe, h, "0")) unknown += " " + h;
      }
      if (!unknown.empty())
        Kol::outWarning("RawPlot: columns of %s left out:%s\n", name, unknown.c_str());
      continue;
    }
    const std::vector<std::string> f = splitRow(line, sep);
    SfcData s;
    s.setPlatform("RAW");
    bool known = f.size() == header.size();
    for (size_t k = 0; known && k < f.size(); ++k) store(s, header[k], f[k]);
    known = known && s.id[0] && !Const::isMiss(s.lat) && !Const::isMiss(s.lon);
    // the first value column decides min and max
    const float first = f.size() > 4 ? std::strtof(f[4].c_str(), nullptr) : Const::FMISS;
    if (known && ((!Const::isMiss(minValue) && first < minValue) ||
                  (!Const::isMiss(maxValue) && first > maxValue)))
      continue;
    if (!known) {
      if (!skipped++) Kol::outWarning("RawPlot: line %d of %s not read\n", number, name);
      continue;
    }
    rows.push_back(s);
  }
  return static_cast<int>(rows.size());
}

bool RawPlot::writeReports()
{
  if (scratch.empty()) {
    char tmpl[] = "/tmp/kolrawXXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0) return false;
    close(fd);
    scratch = tmpl;
  }
  SfcFile out;
  Date d;
  getDate(d);
  out.setDate(d);
  if (!out.open(scratch.c_str(), SfcFile::WRITE, "kol")) return false;
  for (const SfcData& s : rows) out.write(s);
  out.close();
  return surface->setFilename(scratch.c_str()) != 0;
}

int RawPlot::load()
{
  rows.clear();
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
      StrLib::valid(name) ? std::fopen(name, "r") : nullptr, std::fclose);
  if (!in || !parse(in.get(), name) || !writeReports()) {
    Kol::outMessage(3, "RawPlot: Unable to open file: %s\n", StrLib::valid(name, ""));
    return 0;
  }
  return 1;
}

int RawPlot::draw(Plot& plot)
{
  if (!load()) return 0;
  return surface->draw(plot);
}

void RawPlot::print()
{
  std::printf("RawPlot\nRows: %zu\n", rows.size());
  file.print();
  surface->print();
}

}  // namespace KOL
