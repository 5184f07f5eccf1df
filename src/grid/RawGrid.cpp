#include "grid/RawGrid.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/File.h"
#include "core/Kol.h"
#include "grid/Grids.h"
#include "obs/Data.h"

namespace KOL {

namespace {

std::vector<std::string> words(const std::string& line, char sep)
{
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string w; sep == ' ' ? bool(in >> w) : bool(std::getline(in, w, sep));)
    if (!w.empty()) out.push_back(w);
  return out;
}

bool number(const std::string& w, float& v)
{
  char* end;
  v = std::strtof(w.c_str(), &end);
  return end != w.c_str() && *end == '\0';
}

// One data line: an optional identifier, latitude, longitude and the values. The first line
// sets the number of fields unless a fields line did.
void addLine(const std::string& line, bool named, Data& data)
{
  std::vector<std::string> w = words(line, ' ');
  size_t at = 0;
  float first;
  std::string id;
  if (!w.empty() && !number(w[0], first)) id = w[at++];
  float lat, lon;
  if (w.size() < at + 3 || !number(w[at], lat) || !number(w[at + 1], lon)) return;
  if (!named && data.getCount() == 0) data.setFields(int(w.size() - at - 2));
  const int row = data.add(id.c_str(), EarthPoint(lat, lon), Const::FMISS);
  for (int k = 0; k < data.getNumFields() && at + 2 + k < w.size(); k++) {
    float v;
    if (number(w[at + 2 + k], v)) data.setValue(row, k, v);
  }
}

void nameFields(const std::string& list, Data& data)
{
  std::vector<std::string> specs = words(list, ',');
  if (data.getCount() == 0 && !specs.empty()) data.setFields(int(specs.size()));
  for (size_t k = 0; k < specs.size() && int(k) < data.getNumFields(); k++) {
    data.setVarSpec(int(k), VarSpec(specs[k].c_str()));
    data.setInfo(int(k), specs[k].c_str());
  }
}

}  // namespace

int RawGrid::read(const char* name, Data& data)
{
  File f;
  if (!name || !f.open(name, "r")) {
    Kol::outWarning("RawGrid: unable to open raw point file: %s\n", name ? name : "");
    return 0;
  }
  data.setFields(1);
  bool named = false;
  char line[4096];
  for (int n; (n = f.getLine(line, sizeof line)) > 0;) {
    std::string text(line, n);
    while (!text.empty() && std::isspace((unsigned char)text.back())) text.pop_back();
    if (text.rfind("#fields:", 0) == 0) {
      nameFields(text.substr(8), data);
      named = true;
    } else if (!text.empty() && text[0] != '#') {
      addLine(text, named, data);
    }
  }
  return 1;
}

int RawGrid::compute(Grids& grids)
{
  Data data;
  if (!read(getFilename(), data)) return 0;
  const std::vector<VarSpec>& vars = getVariables();
  for (size_t k = 0; k < vars.size() && int(k) < data.getNumFields(); k++) {
    if (data.getVarSpec(int(k)) && data.getVarSpec(int(k))->isSet()) continue;
    data.setVarSpec(int(k), vars[k]);
  }
  return compute(data, grids);
}

}  // namespace KOL
