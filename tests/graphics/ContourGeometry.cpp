#include "ContourGeometry.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "common/TestData.h"

namespace KOLTest {

void Collect::line(int k, const KOL::Point* pts, int n)
{
  for (int i = 1; i < n; i++) lines[k].push_back({pts[i - 1], pts[i]});
  const bool closed = n > 2 && pts[0].x == pts[n - 1].x && pts[0].y == pts[n - 1].y;
  (closed ? closedLines : openLines)[k]++;
}

void Collect::fill(int k, const KOL::Point* pts, const int* counts, int nrings)
{
  // Outlines and holes run opposite ways: their signed areas add up to the area's.
  double a = 0.0;
  for (int r = 0, at = 0; r < nrings; at += counts[r++])
    for (int i = 0; i < counts[r]; i++) {
      const KOL::Point& p = pts[at + i];
      const KOL::Point& q = pts[at + (i + 1) % counts[r]];
      a += double(p.x) * q.y - double(q.x) * p.y;
    }
  area[k] += std::fabs(a) / 2.0;
  // outlines run clockwise with rows down: a positive sum
  if (a <= 0.0) holesAlone[k]++;
}

std::string contourOracle()
{
  int status = 0;
  run("/usr/bin/python3 -c 'import contourpy' 2>/dev/null", &status);
  if (status != 0) return "";
  return std::string(KOL_SOURCE_DIR) + "/scripts/contour_oracle.py";
}

void writeOracleInput(const std::string& path, const KOL::Grid& g, const std::vector<float>& levels)
{
  std::ofstream out(path, std::ios::binary);
  int32_t head[3] = {g.getNx(), g.getNy(), static_cast<int32_t>(levels.size())};
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  out.write(reinterpret_cast<const char*>(levels.data()), levels.size() * sizeof(float));
  for (int j = 0; j < g.getNy(); j++)
    for (int i = 0; i < g.getNx(); i++) {
      float v = g.getValue(i, j);
      out.write(reinterpret_cast<const char*>(&v), sizeof v);
    }
}

Reference runOracle(const KOL::Grid& g, const std::vector<float>& levels)
{
  Reference ref;
  std::string script = contourOracle();
  if (script.empty()) return ref;
  TempDir dir;
  writeOracleInput(dir.file("in.bin"), g, levels);
  int status = 0;
  run("/usr/bin/python3 " + script + " " + dir.file("in.bin") + " " + dir.file("out.txt"), &status);
  if (status != 0) return ref;
  std::istringstream in(readFile(dir.file("out.txt")));
  std::string word;
  while (in >> word) {
    int k = 0;
    if (word == "line") {
      int closed = 0, n = 0;
      in >> k >> closed >> n;
      Reference::Line l{closed != 0, {}};
      for (int i = 0; i < n; i++) {
        float x, y;
        in >> x >> y;
        l.pts.emplace_back(x, y);
      }
      ref.lines[k].push_back(l);
    } else if (word == "area") {
      double a;
      in >> k >> a;
      ref.area[k] = a;
    }
  }
  ref.ok = true;
  return ref;
}

}  // namespace KOLTest
