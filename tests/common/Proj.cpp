#include "common/Proj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "common/TestData.h"
#include "geo/Domain.h"
#include "graphics/Plot.h"

namespace KOLTest {

bool haveProj()
{
  int status = 0;
  run("command -v proj && command -v cs2cs", &status);
  return status == 0;
}

std::vector<XY> projRun(const std::string& tool, const std::vector<XY>& in)
{
  TempDir dir;
  std::ostringstream text;
  text.precision(15);
  for (const XY& p : in) text << p.first << ' ' << p.second << '\n';
  writeFile(dir.file("in.txt"), text.str());
  int status = 0;
  std::istringstream out(run(tool + " " + dir.file("in.txt"), &status));
  EXPECT_EQ(status, 0) << tool;
  std::vector<XY> result;
  std::string line;
  while (std::getline(out, line)) {
    double a = NAN, b = NAN;
    if (std::sscanf(line.c_str(), "%lf %lf", &a, &b) != 2) a = b = NAN;
    result.emplace_back(a, b);
  }
  EXPECT_EQ(result.size(), in.size()) << tool;
  result.resize(in.size(), {NAN, NAN});
  return result;
}

std::vector<KOL::Point> projPixels(KOL::Plot& plot, const std::vector<KOL::EarthPoint>& pts)
{
  const KOL::Domain& domain = plot.getDomain();
  // the PROJ definition of a polar stereographic or Lambert conformal domain on the library's
  // sphere (metres)
  const double p[4] = {domain.param[0], domain.param[1], domain.param[2], domain.param[3]};
  char def[200];
  if (domain.proj == 1)
    std::snprintf(def, sizeof def, "+proj=stere +lat_0=%g +lat_ts=%g +lon_0=%g +R=6371220 +units=m",
                  p[0], p[0] > 0 ? 60.0 : -60.0, p[1]);
  else
    std::snprintf(def, sizeof def,
                  "+proj=lcc +lat_0=%g +lat_1=%g +lat_2=%g +lon_0=%g +R=6371220 +units=m", p[2],
                  p[2], p[3], p[1]);
  std::vector<XY> all;
  for (const KOL::EarthPoint& e : pts) all.emplace_back(e.lon, e.lat);
  all.emplace_back(domain.clon, domain.clat);
  const std::vector<XY> plane = projRun(std::string("proj -f %.4f ") + def, all);
  KOL::EarthPoint centre(domain.clat, domain.clon);
  KOL::Point cp;
  domain.tran(centre, cp);
  const KOL::Rect clip = plot.getGraph().getGTran(KOL::Plot::MAP).getClipRect();
  const KOL::Rect& lim = domain.getLimits();  // plot units: hundreds of km
  const double w = std::fabs(clip.x2 - clip.x1), h = std::fabs(clip.y2 - clip.y1);
  std::vector<KOL::Point> out;
  for (size_t i = 0; i + 1 < plane.size(); ++i) {
    const double x = cp.x + (plane[i].first - plane.back().first) / 1e5;
    const double y = cp.y + (plane[i].second - plane.back().second) / 1e5;
    out.emplace_back(
        static_cast<float>(std::min(clip.x1, clip.x2) + (x - lim.x1) / lim.width() * w),
        static_cast<float>(std::min(clip.y1, clip.y2) + (lim.y2 - y) / lim.height() * h));
  }
  return out;
}

}  // namespace KOLTest
