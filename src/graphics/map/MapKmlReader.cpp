#include "graphics/map/MapKmlReader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/Kol.h"

namespace KOL {

namespace {

// Network access off and libxml2's own error printing off: a bad file gives our one line.
constexpr int PARSE_OPTIONS = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

bool isElement(const xmlNode* n, const char* name)
{
  return n->type == XML_ELEMENT_NODE &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

std::string content(const xmlNode* n)
{
  xmlChar* text = xmlNodeGetContent(n);
  std::string s = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return s;
}

// "lon,lat[,alt]" tuples separated by white space; tuples that do not read are left out.
void parseCoordinates(const std::string& text, EarthPoints& pts)
{
  const char* s = text.c_str();
  while (*s) {
    char* end;
    const double lon = std::strtod(s, &end);
    if (end == s) {
      ++s;
      continue;
    }
    s = end;
    if (*s != ',') continue;
    const double lat = std::strtod(s + 1, &end);
    if (end == s + 1) continue;
    s = end;
    while (*s && *s != ' ' && *s != '\t' && *s != '\n' && *s != '\r') ++s;
    if (std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 && std::fabs(lon) <= 360)
      pts.add(EarthPoint(static_cast<float>(lat), static_cast<float>(lon)));
  }
}

void collectCoordinates(const xmlNode* node, const std::string& name, MapSegments& out)
{
  for (const xmlNode* n = node; n; n = n->next) {
    if (isElement(n, "coordinates")) {
      MapSegment seg;
      parseCoordinates(content(n), seg.points);
      if (seg.points.getNum() > 0) {
        seg.finish(static_cast<int>(out.size()) + 1, name.c_str());
        out.push_back(std::move(seg));
      }
    } else if (n->type == XML_ELEMENT_NODE) {
      collectCoordinates(n->children, name, out);
    }
  }
}

std::string placemarkName(const xmlNode* placemark)
{
  for (const xmlNode* n = placemark->children; n; n = n->next)
    if (isElement(n, "name")) return content(n);
  return "";
}

void collectPlacemarks(const xmlNode* node, MapSegments& out)
{
  for (const xmlNode* n = node; n; n = n->next) {
    if (isElement(n, "Placemark"))
      collectCoordinates(n->children, placemarkName(n), out);
    else if (n->type == XML_ELEMENT_NODE)
      collectPlacemarks(n->children, out);
  }
}

int readDoc(Doc doc, const char* what, MapSegments& out)
{
  out.clear();
  if (!doc || !xmlDocGetRootElement(doc.get())) {
    Kol::outWarning("MapFile: malformed KML file: %s\n", what);
    return 0;
  }
  collectPlacemarks(xmlDocGetRootElement(doc.get()), out);
  return 1;
}

}  // namespace

int MapKmlReader::read(const char* path, MapSegments& out)
{
  return readDoc(Doc(xmlReadFile(path, nullptr, PARSE_OPTIONS)), path, out);
}

int MapKmlReader::read(const char* bytes, int n, MapSegments& out)
{
  return readDoc(Doc(xmlReadMemory(bytes, n, "kml", nullptr, PARSE_OPTIONS)), "(memory)", out);
}

}  // namespace KOL
