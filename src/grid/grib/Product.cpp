#include "grid/grib/Product.h"

#include <cmath>

#include "grid/GribPDB.h"
#include "grid/GribParam.h"

namespace KOL::grib {

namespace {

// Conversions that stay defined whatever a hostile message holds.
float toFloat(double v)
{
  constexpr double BIG = 3.0e38;
  return static_cast<float>(v > BIG ? BIG : v < -BIG ? -BIG : v);
}
int toInt(double v)
{
  constexpr double BIG = 2.0e9;
  return static_cast<int>(v > BIG ? BIG : v < -BIG ? -BIG : v);
}

// An edition 1 layer: octet 11 codes its top, octet 12 its bottom, as Level codes keep them.
Level layer(int type, float top, float bottom)
{
  Level l(type, bottom);
  l.upper_type = type;
  l.upper_value = top;
  return l;
}

Level levelEd1(const Field& f)
{
  const int o11 = static_cast<int>(f.level1), o12 = static_cast<int>(f.level2);
  const float both = static_cast<float>(o11 * 256 + o12);
  switch (f.levelType1) {
    case 100:
      return Level(Level::PRES, both);
    case 101:
      return layer(Level::PRES, o11 * 10.0f, o12 * 10.0f);
    case 102:
      return Level(Level::SEA_LEVEL, 0.0f);
    case 103:
      return Level(Level::HGHT, both);
    case 104:
      return layer(Level::HGHT, o11 * 100.0f, o12 * 100.0f);
    case 105:
      return Level(Level::HGHT_AG, both);
    case 106:
      return layer(Level::HGHT_AG, o11 * 100.0f, o12 * 100.0f);
    case 107:
      return Level(Level::SIGMA, both / 10000.0f);
    case 108:
      return layer(Level::SIGMA, o11 / 100.0f, o12 / 100.0f);
    case 109:
      return Level(Level::HYBRID, both);
    case 110:
      return layer(Level::HYBRID, float(o11), float(o12));
    case 111:
      return Level(Level::DEPTH_BG, both);
    case 112:
      return layer(Level::DEPTH_BG, float(o11), float(o12));
    case 113:
      return Level(Level::THETA, both);
    case 114:
      return layer(Level::THETA, 475.0f - o11, 475.0f - o12);
    case 115:
      return Level(Level::PRES_AG, both);
    case 116:
      return layer(Level::PRES_AG, float(o11), float(o12));
    case 119:
      return Level(Level::ETA, both / 10000.0f);
    case 120:
      return layer(Level::ETA, o11 / 100.0f, o12 / 100.0f);
    case 130:
      return Level(Level::PV, both);
    default:
      return Level(f.levelType1, float(o11));
  }
}

// A fixed surface of code table 4.5 in the library's units.
float surfaceValue(int type, double v)
{
  switch (type) {
    case 100:
    case 108:
      return toFloat(v / 100.0);
    case 106:
      return toFloat(v * 100.0);
    case 109:
      return toFloat(v * 1e6);
    default:
      return toFloat(v);
  }
}

Level levelEd2(const Field& f)
{
  if (f.levelType1 == 255) return Level();
  float v1 = f.level1Missing ? 0.0f : surfaceValue(f.levelType1, f.level1);
  if (f.levelType2 == 255 || f.level2Missing) return Level(f.levelType1, v1);
  float v2 = surfaceValue(f.levelType2, f.level2);
  return Level(f.levelType1, v1, f.levelType2, v2);
}

// Hours per time unit of either edition's code table, and whether it counts in whole units
// the forecast time keeps (minutes, hours, days, months).
int foreUnits(int unit, double& factor)
{
  factor = 1.0;
  switch (unit) {
    case 0:
      return ForeTime::MINUTES;
    case 2:
      return ForeTime::DAYS;
    case 3:
      return ForeTime::MONTHS;
    case 10:
      factor = 3;
      return ForeTime::HOURS;
    case 11:
      factor = 6;
      return ForeTime::HOURS;
    case 12:
      factor = 12;
      return ForeTime::HOURS;
    case 13:
      factor = 1.0 / 60.0;
      return ForeTime::MINUTES;
    default:
      return ForeTime::HOURS;
  }
}

int rangeType(const Field& f)
{
  if (f.edition == 1) {
    switch (f.timeRange) {
      case 0:
      case 10:
      case 113:
      case 123:
        return ForeTime::FORECAST;
      case 1:
        return ForeTime::ANALYSIS;
      case 2:
        return ForeTime::RANGE;
      case 3:
        return ForeTime::AVERAGE;
      case 4:
        return ForeTime::ACCUMULATION;
      case 5:
        return ForeTime::DIFFERENCE;
      default:
        return ForeTime::MISSING;
    }
  }
  switch (f.statProcess) {
    case -1:
      return ForeTime::FORECAST;
    case 0:
      return ForeTime::AVERAGE;
    case 1:
      return ForeTime::ACCUMULATION;
    case 2:
      return ForeTime::MAXIMUM;
    case 3:
      return ForeTime::MINIMUM;
    case 4:
      return ForeTime::DIFFERENCE;
    default:
      return ForeTime::RANGE;
  }
}

void setKind(const Field& f, Variable& v)
{
  if (f.percentile >= 0) {
    v.setType(Variable::PERCENTILE, float(f.percentile), Const::FMISS);
  } else if (f.probType >= 0) {
    float lo = toFloat(f.probLower), hi = toFloat(f.probUpper);
    switch (f.probType) {
      case 0:
        v.setType(Variable::PROB_BELOW, lo, Const::FMISS);
        break;
      case 1:
        v.setType(Variable::PROB_ABOVE, hi, Const::FMISS);
        break;
      case 2:
        v.setType(Variable::PROB_BETWEEN, lo, hi);
        break;
      case 3:
        v.setType(Variable::PROB_ABOVE, lo, Const::FMISS);
        break;
      case 4:
        v.setType(Variable::PROB_BELOW, hi, Const::FMISS);
        break;
      default:
        break;
    }
  } else if (f.derived == 0 || f.derived == 1) {
    v.setType(Variable::ENS_MEAN);
  } else if (f.derived == 2 || f.derived == 3 || f.derived == 4) {
    v.setType(Variable::ENS_DEV);
  } else if (f.perturbation >= 0 || (f.edition == 1 && f.ensType > 0)) {
    v.setType(Variable::ENS_MEMBER, float(f.perturbation), Const::FMISS);
  }
}

}  // namespace

Level levelOf(const Field& f) { return f.edition == 1 ? levelEd1(f) : levelEd2(f); }

ForeTime foreTimeOf(const Field& f)
{
  ForeTime t;
  int type = rangeType(f);
  if (type == ForeTime::MISSING) return t;
  double factor;
  int units = foreUnits(f.timeUnit, factor);
  double p1 = f.p1 * factor, p2 = f.p2 * factor;
  if (type == ForeTime::FORECAST || type == ForeTime::ANALYSIS) {
    t.set(type, units, toFloat(p1), Const::FMISS);
  } else {
    t.set(type, units, toFloat(std::min(p1, p2)), toFloat(std::max(p1, p2)));
  }
  return t;
}

int syntheticGridNumber(const GridGeom& g)
{
  const int k = g.templ >= 10 && g.templ < 40 ? toInt(g.di / 1000.0) : toInt(10 * std::fabs(g.di));
  int a = toInt(std::fabs(g.la1) / 10.0);
  double lo1 = g.lo1 > 180 ? g.lo1 - 360 : g.lo1;
  int b = toInt(lo1 / 10.0);
  if (lo1 < 0) b = 36 + b;
  if (g.la1 < 0) b += 36;
  // template 10^7 + A 10^6 + B 10^4 + (Ni / 10) 100 + K; neighbouring terms may overlap for big
  // grids, which only matters to the uniqueness of the number.
  long n = long(g.templ) * 10000000L + long(a) * 1000000L + long(b) * 10000L +
           long(g.nx / 10) * 100L + k;
  return static_cast<int>(n % 2000000000L);
}

void fillPDB(const Field& f, GribPDB& pdb, GribParam& param)
{
  pdb.init();
  pdb.edition = f.edition;
  pdb.source = f.centre;
  pdb.subCentre = f.subCentre;
  pdb.model = f.process;
  pdb.gridType = f.edition == 1 ? f.gridNumber : syntheticGridNumber(f.grid);
  pdb.year = f.year;
  pdb.month = f.month;
  pdb.day = f.day;
  pdb.hour = f.hour;
  pdb.minute = f.minute;
  pdb.second = f.second;
  pdb.foreTime = foreTimeOf(f);
  pdb.level = levelOf(f);
  pdb.sectFlag = f.flags;
  int b = f.edition == 1 ? f.subCentre : f.category;
  int a = f.edition == 1 ? f.tableVersion : f.discipline;
  if (!param.matches(f.edition, f.centre, a, b, f.parameter)) {
    if (f.edition == 1)
      param.find1(f.centre, f.subCentre, f.tableVersion, f.parameter);
    else
      param.find2(f.centre, f.discipline, f.category, f.parameter);
  }
  param.toVariable(pdb.variable);
  setKind(f, pdb.variable);
  pdb.ensType = f.ensType >= 0 ? f.ensType : Const::MISS;
  pdb.ensMember = f.perturbation >= 0 || f.ensType > 0 ? f.perturbation : Const::MISS;
  pdb.ensCount = f.ensSize >= 0 ? f.ensSize : Const::MISS;
  pdb.derived = f.derived >= 0 ? f.derived : Const::MISS;
  pdb.probType = f.probType >= 0 ? f.probType : Const::MISS;
  pdb.probLower = f.probLowerSet ? toFloat(f.probLower) : Const::FMISS;
  pdb.probUpper = f.probUpperSet ? toFloat(f.probUpper) : Const::FMISS;
  pdb.percentile = f.percentile >= 0 ? f.percentile : Const::MISS;
}

}  // namespace KOL::grib
