// Finds the installed tables with nothing configured: no resource, no environment variable. Prints
// the centre of a station-centred domain and the abbreviation of a GRIB parameter.
#include <kol/geo/DomainTool.h>
#include <kol/geo/DomainVal.h>
#include <kol/grid/GribParam.h>

#include <cstdio>

int main()
{
  KOL::DomainVal dv;
  if (!KOL::DomainTool::decode(dv, "id:KDEN")) return 1;
  KOL::GribParam param;
  if (!param.find2(7, 0, 0, 0)) return 1;
  std::printf("%.1f %.1f %s\n", dv.clat, dv.clon, param.getAbbr());
  return 0;
}
