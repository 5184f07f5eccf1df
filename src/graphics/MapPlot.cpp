#include "graphics/MapPlot.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "geo/DomainTool.h"
#include "geo/GridPoint.h"
#include "graphics/MapFile.h"
#include "graphics/MetaFile.h"
#include "graphics/Plot.h"

namespace KOL {

namespace {

constexpr float TEXT_FRACTION = 0.015f;
constexpr int POINT_RESERVE = 5000;
constexpr const char* INDEX_COLORS[] = {"lmagenta", "lblue", "lgreen", "yellow", "orange", "lred"};

bool startsWith(const std::string& s, const char* prefix)
{
  return StrLib::iequal(s.c_str(), prefix, StrLib::length(prefix));
}

bool endsWith(const std::string& s, const char* suffix)
{
  const size_t n = std::strlen(suffix);
  return s.size() >= n && StrLib::iequal(s.c_str() + s.size() - n, suffix);
}

bool contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// Geographic projections and the plain x/y plane carry map outlines.
bool mapDomain(int proj) { return (proj >= 1 && proj <= 10) || proj == 21; }

// Keypad positions of the four corners all in one outer column or row.
bool allBeyondOneEdge(const int where[4])
{
  auto all = [&](auto test) { return std::all_of(where, where + 4, test); };
  return all([](int w) { return w == 1 || w == 4 || w == 7; }) ||
         all([](int w) { return w == 3 || w == 6 || w == 9; }) ||
         all([](int w) { return w >= 1 && w <= 3; }) || all([](int w) { return w >= 7 && w <= 9; });
}

std::string resolve(const std::string& name)
{
  String path;
  if (!FileTool::addPath(Kol::getDatabasePath(), name.c_str(), path)) return name;
  return path.get() ? path.get() : name;
}

// The attribute of "name[attr]" or "name:attr" (a URL's scheme is not a separator).
void splitAttribute(const std::string& entry, std::string& name, std::string& attr)
{
  name = entry;
  attr.clear();
  const size_t open = entry.find('[');
  if (open != std::string::npos) {
    name = entry.substr(0, open);
    const size_t close = entry.find(']', open);
    attr =
        entry.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    return;
  }
  size_t from = 0;
  if (startsWith(entry, "ftp:") || startsWith(entry, "http:")) from = entry.find(':') + 1;
  const size_t colon = entry.find(':', from);
  if (colon != std::string::npos) {
    name = entry.substr(0, colon);
    attr = entry.substr(colon + 1);
  }
}

}  // namespace

void MapPlot::init()
{
  StrLib::copy(color_map, TEXT_SIZE, "");
  StrLib::copy(color_latlon, TEXT_SIZE, "magenta:st=4");
  StrLib::copy(color_outline, TEXT_SIZE, "");
  map_files.clear();
  fill = fill_cont = map_in = index = false;
  lalo_lat = lalo_lon = Const::FMISS;
  default_on = true;
  default_forced = false;
  selection_ = 0;
  block = Block();
  color_table = Kol::resrc.get("color_table", "");
  StrLib::copy(color_map, TEXT_SIZE, Kol::resrc.get("color_map", ""));
  StrLib::copy(color_latlon, TEXT_SIZE, Kol::resrc.get("color_latlon", "magenta:st=4"));
}

void MapPlot::setMapFiles(const char* list) { map_files = list ? list : ""; }

int MapPlot::setParam(const char* params)
{
  if (!params || !*params) return 1;
  Strings keys;
  keys.set(params, ',', -1, "\"[");
  bool nodefault = false;
  for (int i = 0; i < keys.getNum(); ++i) {
    const char* k = keys.getString(i);
    if (StrLib::iequal(k, "ct=", 3))
      color_table = k + 3;
    else if (StrLib::iequal(k, "coll=", 5))
      StrLib::copy(color_latlon, TEXT_SIZE, k + 5);
    else if (StrLib::iequal(k, "coln=", 5))
      StrLib::copy(color_outline, TEXT_SIZE, k + 5), fill_cont = true;
    else if (StrLib::iequal(k, "co=", 3))
      StrLib::copy(color_map, TEXT_SIZE, k + 3);
    else if (StrLib::iequal(k, "mf=", 3))
      setMapFiles(k + 3);
    else if (StrLib::iequal(k, "fill_cont") || StrLib::iequal(k, "fc"))
      fill = fill_cont = true;
    else if (StrLib::iequal(k, "fill"))
      fill = true;
    else if (StrLib::iequal(k, "map_in"))
      map_in = true;
    else if (StrLib::iequal(k, "index"))
      index = true;
    else if (StrLib::iequal(k, "lalo", 4)) {
      lalo_lat = lalo_lon = 5.0f;
      if (k[4] == ':' && std::sscanf(k + 5, "%f:%f", &lalo_lat, &lalo_lon) == 1)
        lalo_lon = lalo_lat;
    } else if (StrLib::iequal(k, "default"))
      default_on = default_forced = true;
    else if (StrLib::iequal(k, "over"))
      selection_ = OVER, default_on = default_forced;
    else if (StrLib::iequal(k, "under"))
      selection_ = UNDER, default_on = default_forced;
    else if (StrLib::iequal(k, "nodefault"))
      nodefault = true;
  }
  if (nodefault) default_on = selection_ == 0;
  return 1;
}

// The region "globe" when the region file has one, else the whole world a degree a point.
int MapPlot::getDomain(Domain& d)
{
  if (DomainTool::decode(d, "globe")) return 1;
  return d.set("latlon:-90:0,0,0,361,181,1,1");
}

int MapPlot::draw(Plot& plot)
{
  if (!plot.isDrawing(2)) return 0;
  plot.getGraph().setDropShadow(0);
  const char* resource = Kol::resrc.get("map_file", "");
  const char* list = !map_files.empty() ? map_files.c_str() : *resource ? resource : DEFAULT_LIST;
  block = Block();
  int n = drawList(plot, list, selection_);
  if (!Const::isMiss(lalo_lat)) {
    plot.setLine(color_latlon);
    n += drawLatLon(plot, lalo_lat, lalo_lon);
    plot.setLine();
  }
  return n;
}

int MapPlot::drawList(Plot& plot, const char* list, int selection)
{
  Strings entries;
  entries.set(list, ',', -1, "\"[");
  int n = 0;
  for (int i = 0; i < entries.getNum(); ++i) {
    std::string e = entries.getString(i) ? entries.getString(i) : "";
    if (e.size() >= 2 && e.front() == '"' && e.back() == '"') e = e.substr(1, e.size() - 2);
    if (e.empty()) continue;
    const bool fi = startsWith(e, "fi:") || startsWith(e, "+fi:") || startsWith(e, "-fi:");
    if (!fi && !endsWith(e, "mpl")) {
      n += process(plot, e.c_str(), selection);
      continue;
    }
    const char sign = e[0];
    if ((sign == '+' && !(selection & OVER)) || (sign == '-' && !(selection & UNDER))) continue;
    if (sign == '+' || sign == '-') e.erase(0, 1);
    if (startsWith(e, "fi:")) e.erase(0, 3);
    n += drawListFile(plot, e.c_str(), selection);
  }
  return n;
}

int MapPlot::drawListFile(Plot& plot, const char* name, int selection)
{
  const std::string path = resolve(name);
  File in;
  if (!FileTool::isFile(path.c_str()) || !in.open(path.c_str(), "r")) {
    Kol::outWarning("MapPlot_draw: Unable to open map list file: %s\n", name);
    return 0;
  }
  Kol::outDebug(4, "MapPlot_draw: list file: %s\n", path.c_str());
  // entries are whitespace-separated and may be whole paths of any length
  int n = 0;
  std::string word;
  for (int c = std::fgetc(in.getFP());; c = std::fgetc(in.getFP())) {
    if (c != EOF && !std::isspace(c)) {
      word += static_cast<char>(c);
      continue;
    }
    if (!word.empty()) n += process(plot, word.c_str(), selection);
    word.clear();
    if (c == EOF) break;
  }
  return n;
}

int MapPlot::process(Plot& plot, const char* text, int selection)
{
  if (!text || !*text) return 0;
  std::string entry = text;
  const char sign = entry[0];
  const bool counts = sign == '-'   ? (selection & UNDER) != 0
                      : sign == '+' ? (selection & OVER) != 0
                                    : default_on;
  if (sign == '-' || sign == '+') entry.erase(0, 1);
  if (entry.size() >= 2 && entry.front() == '[' && entry.back() == ']')
    return counts && blockEntry(plot, entry), 0;
  if (!counts || !block.active) return 0;
  return processEntry(plot, entry, selection);
}

// "[lat1,lon1,lat2,lon2,scale]" opens a block of entries for plots centred in the box and no
// larger than scale; the next bracketed entry closes it.
bool MapPlot::blockEntry(Plot& plot, const std::string& entry)
{
  if (block.open) {
    block = Block();
    return true;
  }
  float lat1, lon1, lat2, lon2, scale = 1000.0f;
  if (std::sscanf(entry.c_str() + 1, "%f,%f,%f,%f,%f", &lat1, &lon1, &lat2, &lon2, &scale) < 4)
    return false;
  block.open = true;
  const float clat = plot.getDomCLat(), clon = plot.getDomCLon();
  block.active = clat >= std::min(lat1, lat2) && clat <= std::max(lat1, lat2) &&
                 clon >= std::min(lon1, lon2) && clon <= std::max(lon1, lon2) &&
                 plot.getVert() <= scale;
  return true;
}

int MapPlot::processEntry(Plot& plot, std::string entry, int selection)
{
  const float vert = plot.getVert();
  const size_t colon = entry.find(':');
  float v = 0, w = 0;
  if (colon != std::string::npos) {
    const std::string cond = entry.substr(0, colon);
    const std::string rest = entry.substr(colon + 1);
    if (startsWith(cond, "s+") && std::sscanf(cond.c_str() + 2, "%f", &v) == 1)
      return v < vert ? processEntry(plot, rest, selection) : 0;
    if (startsWith(cond, "s-") && std::sscanf(cond.c_str() + 2, "%f", &v) == 1)
      return vert <= v ? processEntry(plot, rest, selection) : 0;
    if (cond[0] == '>' && std::sscanf(cond.c_str() + 1, "%f", &v) == 1) {
      const bool upper = std::sscanf(cond.c_str() + 1, "%f<%f", &v, &w) == 2;
      return vert > v && (!upper || vert <= w) ? processEntry(plot, rest, selection) : 0;
    }
    if (cond[0] == '<' && std::sscanf(cond.c_str() + 1, "%f", &v) == 1) {
      const bool lower = std::sscanf(cond.c_str() + 1, "%f>%f", &v, &w) == 2;
      return vert <= v && (!lower || vert >= w) ? processEntry(plot, rest, selection) : 0;
    }
  }
  if (startsWith(entry, "if:") || startsWith(entry, "im:") || contains(entry, ".gif") ||
      contains(entry, ".png") || startsWith(entry, "mf:") || contains(entry, ".meta") ||
      startsWith(entry, "rf:") || contains(entry, ".raw") || startsWith(entry, "mk:"))
    return drawOverlay(plot, entry);
  if (startsWith(entry, "grid")) return drawGrid(plot, entry.size() > 5 ? entry.substr(5) : "");
  if (startsWith(entry, "lalo:")) return drawLaloEntry(plot, entry.substr(5));
  if (startsWith(entry, "bg:")) return drawBackground(plot, entry.substr(3));
  if (startsWith(entry, "bg[")) return drawBackground(plot, entry.substr(3, entry.find(']') - 3));
  return drawMapEntry(plot, entry);
}

int MapPlot::drawOverlay(Plot& plot, const std::string& entry)
{
  const bool prefixed = entry.size() > 3 && entry[2] == ':';
  const std::string name = prefixed ? entry.substr(3) : entry;
  if (startsWith(entry, "mk:")) {
    EarthPoint e;
    char label[TEXT_SIZE] = "";
    if (std::sscanf(name.c_str(), "%f,%f,%79[^\n]", &e.lat, &e.lon, label) < 2) return 0;
    plot.setMark();
    plot.drawMark(e);
    if (label[0]) plot.drawText(e, label);
    return 1;
  }
  const std::string path = resolve(name);
  const bool image = startsWith(entry, "if:") || startsWith(entry, "im:") ||
                     contains(entry, ".gif") || contains(entry, ".png");
  const bool meta = startsWith(entry, "mf:") || contains(entry, ".meta");
  if (!FileTool::isFile(path.c_str())) {
    if (image) Kol::outWarning("Map image not found: %s\n", name.c_str());
    return 0;
  }
  if (image) {
    plot.message("Map-image: %s", name.c_str());
    return plot.drawImage(path.c_str(), 0.0f, 0.0f);
  }
  if (meta) {
    plot.message("Map-metafile: %s", name.c_str());
    return MetaFile::replay(path.c_str(), plot.getGraph());
  }
  // Raw data overlays have no reader in this library; they are only announced.
  plot.message("Map-rawfile: %s", name.c_str());
  return 0;
}

int MapPlot::drawGrid(Plot& plot, const std::string& spec)
{
  // Domain texts hold colons themselves: the attribute is a last part after the lattice numbers.
  std::string text = spec, attr = "white";
  const size_t colon = spec.rfind(':');
  const size_t comma = spec.rfind(',');
  if (colon != std::string::npos && comma != std::string::npos && colon > comma)
    text = spec.substr(0, colon), attr = spec.substr(colon + 1);
  Domain d;
  if (text.empty())
    d = plot.getDomain();
  else if (!d.set(text.c_str()))
    return 0;
  plot.message("Map-grid: %s", text.c_str());
  plot.setLine(attr.c_str());
  int n = 0;
  EarthPoints line;
  auto lattice = [&](int count, int steps, bool columns) {
    for (int i = 0; i < count; ++i) {
      line.clear();
      for (int j = 0; j < steps; ++j) {
        GridPoint g(columns ? static_cast<float>(i) : static_cast<float>(j),
                    columns ? static_cast<float>(j) : static_cast<float>(i));
        EarthPoint e;
        if (!d.tran(g, e)) e.init();
        line.add(e);
      }
      n += plot.drawLine(line);
    }
  };
  lattice(d.nx, d.ny, true);
  lattice(d.ny, d.nx, false);
  plot.setLine();
  return n;
}

int MapPlot::drawLaloEntry(Plot& plot, const std::string& spec)
{
  float dlat = 5.0f, dlon;
  std::string attr;
  const size_t open = spec.find('[');
  if (open != std::string::npos) attr = spec.substr(open + 1, spec.find(']', open) - open - 1);
  const int got = std::sscanf(spec.c_str(), "%f:%f", &dlat, &dlon);
  if (got < 2) dlon = dlat;
  if (attr.empty()) {
    size_t colon = spec.find(':');
    if (got == 2 && colon != std::string::npos) colon = spec.find(':', colon + 1);
    if (colon != std::string::npos && open == std::string::npos) attr = spec.substr(colon + 1);
  }
  if (!(dlat > 0) || !(dlon > 0)) return 0;
  plot.message("Map-lalo: %.1f,%.1f", dlat, dlon);
  plot.setLine(attr.empty() ? color_latlon : attr.c_str());
  const int n = drawLatLon(plot, dlat, dlon);
  plot.setLine();
  return n;
}

int MapPlot::drawBackground(Plot& plot, const std::string& attr)
{
  PlotAttr a(attr.c_str());
  plot.setFill(a);
  if (!a.validColor()) return 0;
  const int n = plot.drawFill(plot.getDomain().getLimits());
  plot.setFill();
  return n;
}

int MapPlot::drawMapEntry(Plot& plot, const std::string& entry)
{
  std::string name, attrText;
  splitAttribute(entry, name, attrText);
  bool fillSeg = fill;
  std::string outline = color_outline;
  Strings fields;
  fields.set(attrText.c_str(), attrText.find(':') != std::string::npos ? ':' : ',');
  for (int i = 0; i < fields.getNum(); ++i) {
    const char* f = fields.getString(i);
    if (StrLib::iequal(f, "fill")) fillSeg = true;
    if (StrLib::iequal(f, "coln=", 5)) outline = f + 5;
  }
  PlotAttr attr;
  const char* color = color_map[0] ? color_map
                      : fillSeg    ? Kol::resrc.get("color_fmap", "black")
                                   : Kol::resrc.get("color_map", "red");
  attr.set(attrText.c_str(), color);
  if (!attr.validColor()) return 0;
  const bool saveFill = fill, saveCont = fill_cont;
  fill = fillSeg, fill_cont = fill_cont || !outline.empty();
  plot.setLine(attr);
  plot.setFill(attr);
  if (!outline.empty()) plot.setLineColor(outline.c_str());
  plot.setText(attr);
  plot.message("Map: %s", name.c_str());
  const int n = draw(plot, resolve(name).c_str());
  fill = saveFill, fill_cont = saveCont;
  plot.setLine();
  plot.setFill();
  plot.setText();
  return n;
}

int MapPlot::draw(Plot& plot, const char* file)
{
  if (!mapDomain(plot.getProj())) return 0;
  MapFile in;
  if (!in.open(file, MapKolFile::READ, MapFile::DETECT)) {
    if (index) std::printf("Mapfile: %s\n", file);
    return 0;
  }
  MapFileHeader h;
  EarthPoints seg;
  Points pts;
  pts.reserve(POINT_RESERVE);
  const Domain& dom = plot.getDomain();
  int segments = 0, skipped = 0, drawn = 0;
  while (in.readHeader(h)) {
    ++segments;
    if (!map_in) {
      const int where[4] = {plot.whereDomain(EarthPoint(h.lat1, h.lon1)),
                            plot.whereDomain(EarthPoint(h.lat1, h.lon2)),
                            plot.whereDomain(EarthPoint(h.lat2, h.lon1)),
                            plot.whereDomain(EarthPoint(h.lat2, h.lon2))};
      if (allBeyondOneEdge(where)) {
        in.skipData();
        ++skipped;
        continue;
      }
    }
    if (!in.readData(seg) || seg.getNum() == 0) continue;
    if (seg.getNum() == 1 || h.isPoint()) {
      drawn += drawPointFeature(plot, seg.begin()[0], h.name);
      continue;
    }
    if (index) {
      const EarthPoint& first = seg.begin()[0];
      plot.setLineColor(INDEX_COLORS[((h.id % 6) + 6) % 6]);
      std::printf("%d %s %d %.4f %.4f\n", h.id, INDEX_COLORS[((h.id % 6) + 6) % 6], h.count,
                  first.lat, first.lon);
      if (plot.withinDomain(first)) plot.drawFormText(first, "%d", h.id);
    }
    for (EarthPoint e : seg) {
      Point p;
      if (dom.tran(e, p)) {
        pts.add(p);
        continue;
      }
      if (pts.getNum() >= 2) drawn += drawSegment(plot, pts);
      pts.clear();
    }
    if (pts.getNum() >= 2) drawn += drawSegment(plot, pts);
    pts.clear();
  }
  Kol::outDebug(6, "MAP: %s %d %d\n", file, skipped, segments);
  return drawn;
}

int MapPlot::drawPointFeature(Plot& plot, const EarthPoint& e, const char* name)
{
  plot.setTextHeight(TEXT_FRACTION * plot.getVert());
  plot.setTextAlign(2, 3);
  return plot.drawText(e, name && *name ? name : "+") > 0;
}

int MapPlot::drawSegment(Plot& plot, Points& pts)
{
  int n = 0;
  if (fill) {
    n = plot.drawFill(pts);
    if (fill_cont) n += plot.drawLine(pts);
  } else {
    n = plot.drawLine(pts);
  }
  pts.clear();
  return n > 0;
}

int MapPlot::drawLatLon(Plot& plot, float dlat, float dlon)
{
  if (!(dlat > 0) || !(dlon > 0) || !mapDomain(plot.getProj())) return 0;
  int n = 0;
  EarthPoints line;
  // Latitude circles stop short of the poles, where some projections cannot go.
  for (float lat = -90.0f + dlat; lat < 90.0f - 0.001f; lat += dlat) {
    line.clear();
    for (int lon = -180; lon <= 180; ++lon) line.add(EarthPoint(lat, static_cast<float>(lon)));
    n += plot.drawLine(line) > 0;
  }
  const float polar = std::min(80.0f, 90.0f - dlat);
  for (float lon = -180.0f; lon < 180.0f - 0.001f; lon += dlon) {
    line.clear();
    for (int lat = -static_cast<int>(polar); lat <= static_cast<int>(polar); ++lat)
      line.add(EarthPoint(static_cast<float>(lat), lon));
    n += plot.drawLine(line) > 0;
  }
  drawLatLonLabels(plot, dlat, dlon);
  return n;
}

// Labels where the lines cross the meridian and the parallel through the plot's centre.
int MapPlot::drawLatLonLabels(Plot& plot, float dlat, float dlon)
{
  const float clat = plot.getDomCLat(), clon = plot.getDomCLon();
  if (Const::isMiss(clat) || Const::isMiss(clon)) return 0;
  plot.setTextColor(plot.getLineColor());
  plot.setTextHeight(TEXT_FRACTION * plot.getVert());
  plot.setTextAlign(2, 3);
  int n = 0;
  for (float lat = -90.0f + dlat; lat < 90.0f - 0.001f; lat += dlat)
    if (plot.withinDomain(EarthPoint(lat, clon)))
      n += plot.drawFormText(EarthPoint(lat, clon), "%.0f%c", std::fabs(lat), lat < 0 ? 'S' : 'N') >
           0;
  for (float lon = -180.0f; lon < 180.0f - 0.001f; lon += dlon)
    if (plot.withinDomain(EarthPoint(clat, lon)))
      n += plot.drawFormText(EarthPoint(clat, lon), "%.0f%c", std::fabs(lon), lon < 0 ? 'W' : 'E') >
           0;
  plot.setText();
  return n;
}

void MapPlot::print()
{
  std::printf(
      "MapPlot - files: %s color: %s latlon: %s fill: %d default: %d selection: %d lalo: %g %g\n",
      map_files.c_str(), color_map, color_latlon, fill ? 1 : 0, default_on ? 1 : 0, selection_,
      lalo_lat, lalo_lon);
}

}  // namespace KOL
