#include "grid/GridMath.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Unit.h"
#include "grid/Grids.h"
#include "grid/math/Arith.h"
#include "grid/math/Derivs.h"
#include "grid/math/Pointwise.h"
#include "grid/math/Thermo.h"
#include "obs/Calc.h"

namespace KOL {

namespace {

using gridmath::Binary;
using gridmath::MISS;
using gridmath::Thermo;
using gridmath::Unary;

constexpr float TWO_OMEGA = 14.584f;  // twice the earth's rotation, in 10^-5 /s
constexpr float DERIV_SCALE = 1e-5f;  // per 100 km, in per metre
constexpr int LATLON = 2;

// The linear conversion between two unit names; false when none is needed or none is known.
bool conversion(const char* from, const char* to, float& factor, float& offset)
{
  if (!StrLib::valid(from) || !StrLib::valid(to) || Unit::equal(from, to)) return false;
  Unit unit;
  if (!unit.valid(from, to)) return false;
  // Every conversion of the units table is linear: two values give its factor and offset.
  float zero = unit.convert(0.0f, from, to), one = unit.convert(1.0f, from, to);
  if (zero == MISS || one == MISS) return false;
  offset = zero;
  factor = one - zero;
  return std::isfinite(factor) && factor != 0;
}

// The values of one input as a kernel wants them: the grid's own array, or a copy converted to
// other units or spread over every point (the one temporary an operand may have).
class Operand {
 public:
  explicit Operand(const Grid& g) : p_(g.getData()), n_(g.getCount()) {}
  Operand(const Grid& g, const char* units) : Operand(g)
  {
    float factor, offset;
    if (!p_ || !conversion(g.getUnits(), units, factor, offset)) return;
    own_.assign(p_, p_ + n_);
    gridmath::linear(own_.data(), n_, factor, offset);
    p_ = own_.data();
  }
  // A single value is spread over n points.
  Operand(const Grid& g, const char* units, std::size_t n) : Operand(g, units)
  {
    if (n_ == 1 && n > 1) {
      const float v = p_[0];  // p_ may point into own_, which assign reallocates
      own_.assign(n, v);
      p_ = own_.data();
      n_ = n;
    }
  }
  Operand(const Operand&) = delete;
  Operand& operator=(const Operand&) = delete;
  const float* data() const { return p_; }
  std::size_t size() const { return n_; }

 private:
  const float* p_;
  std::size_t n_;
  std::vector<float> own_;
};

// The input whose description a result takes: the first full grid, else the first.
const Grid& mainOf(std::initializer_list<const Grid*> inputs)
{
  for (const Grid* g : inputs)
    if (!g->isValue()) return *g;
  return **inputs.begin();
}

// Starts a result from main's description with every value missing. False when an input has
// no data or two full inputs lie on different domains.
bool start(Grid& out, std::initializer_list<const Grid*> inputs)
{
  out.init();
  const Grid* full = nullptr;
  for (const Grid* g : inputs) {
    if (!g->isData()) return false;
    if (g->isValue()) continue;
    if (full && !GridMath::isDomainEqual(*full, *g)) return false;
    full = g;
  }
  out.copyInfo(mainOf(inputs));
  return out.allocData() != 0;
}

// Ends an operation: the result moves into out (which may have been an input).
int deliver(Grid& out, Grid& result, int ok)
{
  out = std::move(result);
  return ok;
}

int done(Grid& out, Grid& result, const char* name, const char* units)
{
  GridMath::setInfo(result, name, units);
  return deliver(out, result, 1);
}

std::string scaledUnits(const char* units, float factor, const char* suffix)
{
  String s;
  Unit::scale(units, factor, suffix, s);
  return s.get();
}

gridmath::Spacing spacing(const Grid& g)
{
  const Domain& d = g.getDomain();
  if (d.proj == LATLON)
    return gridmath::Spacing::latLon(g.getNx(), g.getNy(), std::fabs(d.dx), std::fabs(d.dy),
                                     d.getLimits().y2);
  return gridmath::Spacing::uniform(g.getNx(), g.getNy(), d.dx, d.dy);
}

int binaryOp(Grid& out, const Grid& a, const Grid& b, Binary op, const char* name, bool units)
{
  Grid result;
  if (!start(result, {&a, &b})) return deliver(out, result, 0);
  gridmath::apply(op, a.getData(), a.getCount(), b.getData(), b.getCount(), result.getData(),
                  result.getCount());
  return done(out, result, name, units ? mainOf({&a, &b}).getUnits() : "");
}

int unaryOp(Grid& out, const Grid& in, Unary op, const char* name, bool units)
{
  Grid result;
  if (!start(result, {&in})) return deliver(out, result, 0);
  gridmath::apply(op, in.getData(), result.getData(), result.getCount());
  return done(out, result, name, units ? in.getUnits() : "");
}

// Applies f(value, i, j) to every valid point of g in place.
template <class F>
void eachPoint(Grid& g, F f)
{
  float* v = g.getData();
  for (int j = 0; j < g.getNy(); ++j)
    for (int i = 0; i < g.getNx(); ++i, ++v)
      if (*v != MISS) *v = gridmath::finite(f(*v, i, j));
}

float latitude(const Grid& g, int i, int j)
{
  EarthPoint e;
  return g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) ? e.lat : MISS;
}

float coriolisAt(const Grid& g, int i, int j)
{
  float lat = latitude(g, i, j);
  return lat == MISS ? MISS : TWO_OMEGA * static_cast<float>(std::sin(lat * Const::DRC));
}

Point plotAt(const Grid& g, int i, int j)
{
  Point p;
  g.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), p);
  return p;
}

// out = ax·∂a/∂x + by·∂b/∂y of a pair of wind components in m/s.
int kinematic(Grid& out, const Grid& u, const Grid& v, bool vFirst, float ax, float by,
              const char* name)
{
  Grid result;
  if (!start(result, {&u, &v})) return deliver(out, result, 0);
  std::size_t n = result.getCount();
  Operand uu(u, "m/s", n), vv(v, "m/s", n);
  const float* a = vFirst ? vv.data() : uu.data();
  const float* b = vFirst ? uu.data() : vv.data();
  gridmath::combine(spacing(result), a, ax, b, by, result.getData());
  return done(out, result, name, "10^-5 /s");
}

// out = f(in) through a finite-difference kernel.
int derivative(Grid& out, const Grid& in,
               void (*kernel)(const gridmath::Spacing&, const float*, float*), const char* name,
               const std::string& units)
{
  Grid result;
  if (!start(result, {&in})) return deliver(out, result, 0);
  kernel(spacing(result), in.getData(), result.getData());
  return done(out, result, name, units.c_str());
}

// The geostrophic wind component g/f·∂Z/∂n with Z in m.
int geostrophic(Grid& out, const Grid& z, bool u)
{
  Grid result;
  if (!start(result, {&z})) return deliver(out, result, 0);
  Operand height(z, "m");
  gridmath::Spacing s = spacing(result);
  (u ? gridmath::ddy : gridmath::ddx)(s, height.data(), result.getData());
  const float g = u ? -Const::G : Const::G;
  eachPoint(result, [&](float d, int i, int j) {
    float f = coriolisAt(result, i, j);
    return f == MISS ? MISS : g * d / f;
  });
  return done(out, result, u ? "ugeos" : "vgeos", "m/s");
}

float pressureOf(const Grid& g)
{
  const Level& l = g.getLevel();
  return l.isPres() ? l.lower_value : MISS;
}

// How each thermodynamic field names itself and checks and converts its inputs.
struct ThermoForm {
  Thermo kind;
  const char* fn;      // name in warnings
  const char* bAbbr;   // variable the second input must be, null for any
  const char* bError;  // warning when it is not
  bool tempFirst;      // with both inputs wrong, the temperature is the one reported
  const char* bUnits;  // units the kernel wants the second input in
  const char* name;    // of the result
  const char* units;   // of the result
};

// One row for every kind.
const ThermoForm thermoForms[] = {
    {Thermo::DEWPOINT, "dewpoint", nullptr, "", true, "%", "dewp", "K"},
    {Thermo::REL_HUM, "relHum", nullptr, "", true, "K", "rhum", "%"},
    {Thermo::SPEC_HUM, "specHum", "rhum", "not a rel humidity grid", false, "%", "shum", "gm/kg"},
    {Thermo::MIX_RATIO, "mixRatio", "rhum", "not a rel humidity grid", false, "%", "mrat", "g/kg"},
    {Thermo::WET_BULB, "wetBulb", "rhum", "not a rel humidity grid", false, "%", "wetblb", "K"},
    {Thermo::POT_TEMP, "potTemp", nullptr, "", true, "", "theta", "K"},
    {Thermo::VIRT_TEMP, "virtTemp", "rhum", "not a rel hum grid", false, "%", "vtemp", "K"},
    {Thermo::VIRT_POT_TEMP, "virtPotTemp", "rhum", "not a rel hum grid", false, "%", "thetav", "K"},
    {Thermo::EQUIV_POT_TEMP, "equivPotTemp", "rhum", "not a rel hum grid", false, "%", "thetae",
     "K"},
    {Thermo::HEAT_INDEX, "heatIndex", "rhum", "not a rel humidity grid", false, "%", "heat", "K"},
    {Thermo::WIND_CHILL, "windChill", "wspd", "not a wind speed grid", true, "m/s", "wchill", "K"},
    {Thermo::WIND_CHILL2, "windChill", "wspd", "not a wind speed grid", true, "m/s", "wchill", "K"},
};

// A thermodynamic field of a temperature grid and optionally a second grid b.
int thermoField(Grid& out, const Grid& t, const Grid* b, Thermo kind)
{
  const ThermoForm* f = std::find_if(std::begin(thermoForms), std::end(thermoForms),
                                     [&](const ThermoForm& r) { return r.kind == kind; });
  Grid result;
  bool bad_b = b && f->bAbbr && !GridMath::checkVar(*b, f->bAbbr);
  bool bad_t = !GridMath::checkVar(t, "temp");
  if (bad_t && (f->tempFirst || !bad_b)) {
    Kol::outWarning("GridMath::%s: not a temperature grid\n", f->fn);
    return deliver(out, result, 0);
  }
  if (bad_b) {
    Kol::outWarning("GridMath::%s: %s\n", f->fn, f->bError);
    return deliver(out, result, 0);
  }
  if (b ? !start(result, {&t, b}) : !start(result, {&t})) return deliver(out, result, 0);
  Operand tk(t, "K");
  Operand other(b ? *b : t, b ? f->bUnits : "");
  gridmath::thermo(kind, tk.data(), tk.size(), other.data(), other.size(), pressureOf(t),
                   result.getData(), result.getCount());
  return done(out, result, f->name, f->units);
}

// A list operation over every grid in use of in.
template <class Step>
int listOp(Grid& out, const Grids& in, const char* name, Step step)
{
  Grid result;
  int n = in.getNum();
  if (n < 1 || !in.getGrid(0).isData()) return deliver(out, result, 0);
  // The first full grid gives the description and the size.
  const Grid* main = &in.getGrid(0);
  for (int k = n - 1; k >= 0; --k)
    if (!in.getGrid(k).isValue()) main = &in.getGrid(k);
  for (int k = 0; k < n; ++k) {
    const Grid& g = in.getGrid(k);
    if (!g.isData() || (!g.isValue() && !GridMath::isDomainEqual(*main, g)))
      return deliver(out, result, 0);
  }
  result.copyInfo(*main);
  result.allocData();
  std::size_t count = result.getCount();
  const Grid& first = in.getGrid(0);
  for (std::size_t k = 0; k < count; ++k)
    result.getData()[k] = first.getData()[first.isValue() ? 0 : k];
  for (int k = 1; k < n; ++k) {
    const Grid& g = in.getGrid(k);
    step(result.getData(), g.getData(), g.getCount(), count);
  }
  return done(out, result, name, main->getUnits());
}

// Speed or direction of the wind components u and v (v taken in u's units) into result.
bool windPolar(Grid& result, const Grid& u, const Grid& v,
               float (*f)(float, float, Calc::Warnings*))
{
  if (!start(result, {&u, &v})) return false;
  std::size_t n = result.getCount();
  Operand uu(u, "", n), vv(v, u.getUnits(), n);
  Calc::Warnings warn;
  gridmath::binary(uu.data(), n, vv.data(), n, result.getData(), n,
                   [&](float a, float b) { return f(a, b, &warn); });
  return true;
}

// a = a op b in place; a must be a full grid.
int inPlace(Grid& a, const Grid& b, Binary op)
{
  if (!a.isData() || !b.isData() || a.isValue() || (!b.isValue() && !GridMath::isDomainEqual(a, b)))
    return 0;
  gridmath::apply(op, a.getData(), a.getCount(), b.getData(), b.getCount(), a.getData(),
                  a.getCount());
  return 1;
}

// One wind component from speed and direction; with flag set the directions are turned from
// earth to grid orientation first.
int windComponent(Grid& out, const Grid& spd, const Grid& dir, int flag,
                  float (*component)(float, float, Calc::Warnings*), const char* name)
{
  Grid result;
  if (!start(result, {&spd, &dir})) return deliver(out, result, 0);
  std::size_t n = result.getCount();
  Operand d(dir, "", n), s(spd, "", n);
  std::copy(d.data(), d.data() + n, result.getData());
  if (flag)
    eachPoint(result,
              [&](float a, int i, int j) { return result.adjustDir(a, plotAt(result, i, j)); });
  Calc::Warnings warn;
  gridmath::binary(result.getData(), n, s.data(), n, result.getData(), n,
                   [&](float a, float b) { return component(a, b, &warn); });
  return done(out, result, name, spd.getUnits());
}

}  // namespace

// ---- Names, units and domains ----

bool GridMath::isVectFunc(const char* name)
{
  if (!name) return false;
  std::string base(name);
  base = base.substr(0, base.find('-'));
  return base == "grad" || base == "vdiff";
}

bool GridMath::checkVar(const Grid& g, const char* abbr)
{
  return abbr && std::strcmp(g.getVar().getAbbr(), abbr) == 0;
}

void GridMath::setInfo(Grid& g, const char* name, const char* units)
{
  g.getVarSpec().setVar(name, units ? units : "");
  String label;
  g.getVarSpec().toInfoLabel(label);
  g.setInfo(label.get());
}

int GridMath::units(Grid& g, const char* units)
{
  if (!StrLib::valid(units)) return 0;
  if (Unit::equal(g.getUnits(), units)) return 1;
  float factor, offset;
  if (!conversion(g.getUnits(), units, factor, offset)) return 0;
  if (g.isData()) gridmath::linear(g.getData(), g.getCount(), factor, offset);
  g.setUnits(units);
  return 1;
}

bool GridMath::isDomainEqual(const Grid& a, const Grid& b)
{
  return isDomainEqual(a, b.getDomain());
}

bool GridMath::isDomainEqual(const Grid& a, const Domain& d)
{
  return DomainVal::compare(a.getDomainVal(), d.get());
}

bool GridMath::isProjEqual(const Grid& a, const Grid& b)
{
  return DomainVal::compareProj(a.getDomainVal(), b.getDomainVal());
}

// ---- Arithmetic ----

int GridMath::add(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::ADD, "add", true);
}

int GridMath::sub(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::SUB, "sub", true);
}

int GridMath::mult(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::MUL, "mult", false);
}

int GridMath::div(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::DIV, "div", false);
}

int GridMath::mod(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::MOD, "mod", true);
}

int GridMath::pow(Grid& out, const Grid& a, const Grid& b)
{
  return binaryOp(out, a, b, Binary::POW, "pow", false);
}

int GridMath::thick(Grid& out, const Grid& upper, const Grid& lower)
{
  return binaryOp(out, upper, lower, Binary::SUB, "thick", true);
}

int GridMath::sqrt(Grid& out, const Grid& in)
{
  return unaryOp(out, in, Unary::SQRT, "sqrt", false);
}

int GridMath::abs(Grid& out, const Grid& in) { return unaryOp(out, in, Unary::ABS, "abs", true); }

int GridMath::inv(Grid& out, const Grid& in) { return unaryOp(out, in, Unary::INV, "inv", false); }

int GridMath::log(Grid& out, const Grid& in) { return unaryOp(out, in, Unary::LOG, "log", false); }

int GridMath::log10(Grid& out, const Grid& in)
{
  return unaryOp(out, in, Unary::LOG10, "log10", false);
}

int GridMath::exp(Grid& out, const Grid& in) { return unaryOp(out, in, Unary::EXP, "exp", false); }

int GridMath::add(Grid& a, const Grid& b) { return inPlace(a, b, Binary::ADD); }

int GridMath::diff(Grid& a, const Grid& b) { return inPlace(a, b, Binary::SUB); }

int GridMath::add(Grid& out, const Grids& in)
{
  return listOp(out, in, "sum", [](float* acc, const float* g, std::size_t ng, std::size_t n) {
    gridmath::apply(Binary::ADD, acc, n, g, ng, acc, n);
  });
}

int GridMath::avg(Grid& out, const Grids& in)
{
  if (!add(out, in)) return 0;
  float f = 1.0f / in.getNum();
  gridmath::apply(Binary::MUL, out.getData(), out.getCount(), &f, 1, out.getData(), out.getCount());
  setInfo(out, "avg", out.getUnits());
  return 1;
}

int GridMath::max(Grid& out, const Grids& in) { return listOp(out, in, "max", gridmath::keepMax); }

int GridMath::min(Grid& out, const Grids& in) { return listOp(out, in, "min", gridmath::keepMin); }

int GridMath::interp(Grid& out, const Grid& a, float f, const Grid& b)
{
  Grid result;
  // The description comes from b when a is a value grid.
  if (!start(result, {&a, &b})) return deliver(out, result, 0);
  gridmath::interp(a.getData(), a.getCount(), b.getData(), b.getCount(), f, result.getData(),
                   result.getCount());
  return deliver(out, result, 1);
}

// ---- Edits ----

int GridMath::remap(Grid& out, const Domain& d, const Grid& in)
{
  Grid result;
  if (!in.isData() || d.nx < 1 || d.ny < 1) return deliver(out, result, 0);
  result.copyInfo(in);
  result.setDomain(d);
  result.allocData();
  float* v = result.getData();
  for (int j = 0; j < d.ny; ++j) {
    for (int i = 0; i < d.nx; ++i, ++v) {
      EarthPoint e;
      if (d.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e)) *v = in.getValue(e);
    }
  }
  return deliver(out, result, 1);
}

int GridMath::revalue(Grid& out, const char* name, const Grid& in)
{
  Grid result;
  if (!in.isData()) return deliver(out, result, 0);
  result = in;
  if (StrLib::valid(name)) setInfo(result, name, in.getUnits());
  return deliver(out, result, 1);
}

int GridMath::cutoff(Grid& out, const char* mode, float threshold, float value, const Grid& in)
{
  Grid result;
  if (!in.isData() || !mode) return deliver(out, result, 0);
  bool higher = StrLib::iequal(mode, "higher", 2);
  if (!higher && !StrLib::iequal(mode, "lower", 2)) return deliver(out, result, 0);
  result = in;
  eachPoint(result, [&](float v, int, int) {
    return (higher ? v > threshold : v < threshold) ? value : v;
  });
  return deliver(out, result, 1);
}

int GridMath::mask(Grid& g, const char* mode, float threshold)
{
  if (!g.isData() || !mode) return 0;
  bool higher = StrLib::iequal(mode, "higher", 2);
  if (!higher && !StrLib::iequal(mode, "lower", 2)) return 0;
  for (std::size_t k = 0; k < g.getCount(); ++k) {
    float& v = g.getData()[k];
    if (v != MISS && (higher ? v > threshold : v < threshold)) v = MISS;
  }
  return 1;
}

int GridMath::resetMiss(Grid& g, float value)
{
  if (!g.isData()) return 0;
  for (std::size_t k = 0; k < g.getCount(); ++k)
    if (g.getData()[k] == MISS) g.getData()[k] = value;
  return 1;
}

int GridMath::offset(Grid& g, float f)
{
  if (!g.isData()) return 0;
  gridmath::linear(g.getData(), g.getCount(), 1.0f, f);
  return 1;
}

int GridMath::scale(Grid& g, float f)
{
  if (!g.isData()) return 0;
  gridmath::linear(g.getData(), g.getCount(), f, 0.0f);
  return 1;
}

float GridMath::maxSpd(const Grid& u, const Grid& v)
{
  if (!u.isData() || !v.isData() || u.getCount() != v.getCount()) return MISS;
  float best = MISS;
  for (std::size_t k = 0; k < u.getCount(); ++k) {
    float a = u.getData()[k], b = v.getData()[k];
    if (a == MISS || b == MISS || (a == 0 && b == 0)) continue;
    float s = std::sqrt(a * a + b * b);
    if (best == MISS || s > best) best = s;
  }
  return best;
}

// ---- Derivatives and kinematics ----

int GridMath::dx(Grid& out, const Grid& in)
{
  return derivative(out, in, gridmath::ddx, "dx", scaledUnits(in.getUnits(), DERIV_SCALE, "/m"));
}

int GridMath::dy(Grid& out, const Grid& in)
{
  return derivative(out, in, gridmath::ddy, "dy", scaledUnits(in.getUnits(), DERIV_SCALE, "/m"));
}

int GridMath::laplacian(Grid& out, const Grid& in)
{
  return derivative(out, in, gridmath::laplacian, "lapl",
                    scaledUnits(in.getUnits(), DERIV_SCALE * DERIV_SCALE, "/m^2"));
}

int GridMath::vorticity(Grid& out, const Grid& u, const Grid& v)
{
  return kinematic(out, u, v, true, 1.0f, -1.0f, "rvort");
}

int GridMath::converge(Grid& out, const Grid& u, const Grid& v)
{
  return kinematic(out, u, v, false, -1.0f, -1.0f, "conv");
}

int GridMath::converge(Grid& out, const Grid& u, const Grid& v, const Grid& q)
{
  Grid result;
  if (!start(result, {&u, &v, &q}) || !converge(result, u, v)) return deliver(out, result, 0);
  gridmath::apply(Binary::MUL, result.getData(), result.getCount(), q.getData(), q.getCount(),
                  result.getData(), result.getCount());
  return done(out, result, "conv", scaledUnits(q.getUnits(), DERIV_SCALE, "/s").c_str());
}

int GridMath::advection(Grid& out, const Grid& s, const Grid& u, const Grid& v)
{
  Grid result;
  if (!start(result, {&s, &u, &v})) return deliver(out, result, 0);
  std::size_t n = result.getCount();
  Operand ss(s, "", n), uu(u, "m/s", n), vv(v, "m/s", n);
  gridmath::advection(spacing(result), ss.data(), uu.data(), vv.data(), result.getData());
  return done(out, result, "adv", scaledUnits(s.getUnits(), DERIV_SCALE, "/s").c_str());
}

int GridMath::deformation1(Grid& out, const Grid& u, const Grid& v)
{
  return kinematic(out, u, v, false, 1.0f, -1.0f, "def1");
}

int GridMath::deformation2(Grid& out, const Grid& u, const Grid& v)
{
  return kinematic(out, u, v, true, 1.0f, 1.0f, "def2");
}

int GridMath::coriolis(Grid& out, const Grid& in, const char* mode)
{
  static const char* const modes[] = {"add", "sub", "sub-", "mul", "div", "div-"};
  int m = -1;
  for (int k = 0; k < 6 && mode; ++k)
    if (std::strcmp(mode, modes[k]) == 0) m = k;
  Grid result;
  if (m < 0 || !start(result, {&in})) return deliver(out, result, 0);
  const float* src = in.getData();
  bool value = in.isValue();
  float* dst = result.getData();
  for (int j = 0; j < result.getNy(); ++j) {
    for (int i = 0; i < result.getNx(); ++i, ++dst) {
      float v = value ? src[0] : src[static_cast<std::size_t>(j) * result.getNx() + i];
      float f = coriolisAt(result, i, j);
      if (v == MISS || f == MISS) continue;
      float r = m == 0   ? v + f
                : m == 1 ? v - f
                : m == 2 ? f - v
                : m == 3 ? v * f
                : m == 4 ? v / f
                         : f / v;
      *dst = gridmath::finite(r);
    }
  }
  return deliver(out, result, 1);
}

int GridMath::absVorticity(Grid& out, const Grid& u, const Grid& v)
{
  Grid result;
  if (!vorticity(result, u, v) || !coriolis(result, result, "add")) return deliver(out, result, 0);
  return done(out, result, "avort", "10^-5 /s");
}

int GridMath::geosU(Grid& out, const Grid& height) { return geostrophic(out, height, true); }

int GridMath::geosV(Grid& out, const Grid& height) { return geostrophic(out, height, false); }

// ---- Winds ----

int GridMath::windSpd(Grid& out, const Grid& u, const Grid& v)
{
  Grid result;
  if (!windPolar(result, u, v, Calc::windSpd)) return deliver(out, result, 0);
  return done(out, result, "wspd", u.getUnits());
}

int GridMath::windDir(Grid& out, const Grid& u, const Grid& v, int flag)
{
  Grid result;
  if (!windPolar(result, u, v, Calc::windDir)) return deliver(out, result, 0);
  if (flag)
    eachPoint(result,
              [&](float d, int i, int j) { return result.unadjustDir(d, plotAt(result, i, j)); });
  return done(out, result, flag ? "ewdir" : "wdir", "deg");
}

int GridMath::windU(Grid& out, const Grid& spd, const Grid& dir, int flag)
{
  return windComponent(out, spd, dir, flag, Calc::windU, "uwnd");
}

int GridMath::windV(Grid& out, const Grid& spd, const Grid& dir, int flag)
{
  return windComponent(out, spd, dir, flag, Calc::windV, "vwnd");
}

int GridMath::adjustUV(Grid& u, Grid& v)
{
  if (!u.isData() || !v.isData() || u.isValue() || v.isValue() || !isDomainEqual(u, v)) return 0;
  float* pu = u.getData();
  float* pv = v.getData();
  Calc::Warnings warn;
  for (int j = 0; j < u.getNy(); ++j) {
    for (int i = 0; i < u.getNx(); ++i, ++pu, ++pv) {
      if (*pu == MISS || *pv == MISS) continue;
      float s = Calc::windSpd(*pu, *pv, &warn);
      float d = u.adjustDir(Calc::windDir(*pu, *pv, &warn), plotAt(u, i, j));
      *pu = d == MISS ? MISS : Calc::windU(d, s, &warn);
      *pv = d == MISS ? MISS : Calc::windV(d, s, &warn);
    }
  }
  return 1;
}

int GridMath::adjustDir(Grid& out, const Grid& in, const Domain& d, int flag)
{
  Grid result;
  if (!in.isData()) return deliver(out, result, 0);
  result = in;
  eachPoint(result, [&](float dir, int i, int j) {
    EarthPoint e;
    if (!in.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e)) return MISS;
    return flag ? d.adjustDir(dir, e) : d.unadjustDir(dir, e);
  });
  return deliver(out, result, 1);
}

int GridMath::locatePoint(Grid& out, const Grid& in, const char* what)
{
  static const struct {
    const char* what;
    const char* info;
    const char* units;
  } kinds[] = {{"lat", "Latitude (deg)", "deg"},
               {"lon", "Longitude (deg)", "deg"},
               {"projx", "Projection X", ""},
               {"projy", "Projection Y", ""}};
  int kind = -1;
  for (int k = 0; k < 4 && what; ++k)
    if (std::strcmp(what, kinds[k].what) == 0) kind = k;
  Grid result;
  if (kind < 0 || in.getNx() < 1 || in.getNy() < 1) return deliver(out, result, 0);
  result.copyInfo(in);
  result.allocData();
  float* v = result.getData();
  for (int j = 0; j < result.getNy(); ++j) {
    for (int i = 0; i < result.getNx(); ++i, ++v) {
      GridPoint g(static_cast<float>(i), static_cast<float>(j));
      EarthPoint e;
      Point p;
      if (kind < 2 && result.tran(g, e)) *v = kind == 0 ? e.lat : e.lon;
      if (kind >= 2 && result.tran(g, p)) *v = kind == 2 ? p.x : p.y;
    }
  }
  result.getVarSpec().setVar(kinds[kind].what, kinds[kind].units);
  result.setInfo(kinds[kind].info);
  return deliver(out, result, 1);
}

// ---- Thermodynamics ----

int GridMath::dewpoint(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::DEWPOINT);
}

int GridMath::relHum(Grid& out, const Grid& t, const Grid& td)
{
  return thermoField(out, t, &td, Thermo::REL_HUM);
}

int GridMath::specHum(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::SPEC_HUM);
}

int GridMath::mixRatio(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::MIX_RATIO);
}

int GridMath::wetBulb(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::WET_BULB);
}

int GridMath::potTemp(Grid& out, const Grid& t)
{
  return thermoField(out, t, nullptr, Thermo::POT_TEMP);
}

int GridMath::virtTemp(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::VIRT_TEMP);
}

int GridMath::virtPotTemp(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::VIRT_POT_TEMP);
}

int GridMath::equivPotTemp(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::EQUIV_POT_TEMP);
}

int GridMath::heatIndex(Grid& out, const Grid& t, const Grid& rh)
{
  return thermoField(out, t, &rh, Thermo::HEAT_INDEX);
}

int GridMath::windChill(Grid& out, const Grid& t, const Grid& spd, int variant)
{
  return thermoField(out, t, &spd, variant == 2 ? Thermo::WIND_CHILL2 : Thermo::WIND_CHILL);
}

int GridMath::windChill(Grid& out, const Grid& t, const Grid& u, const Grid& v)
{
  Grid spd;
  if (!windSpd(spd, u, v)) return deliver(out, spd, 0);
  units(spd, "m/s");
  return windChill(out, t, spd, 2);
}

int GridMath::showalter(Grid& out, const Grid& t, const Grid& rh, const Grid& upper)
{
  Grid result;
  if (!checkVar(t, "temp") || !checkVar(upper, "temp")) {
    Kol::outWarning("GridMath::showalter: not a temperature grid\n");
    return deliver(out, result, 0);
  }
  if (!start(result, {&t, &rh, &upper})) return deliver(out, result, 0);
  Operand lower(t, "K"), hum(rh, "%"), top(upper, "K");
  gridmath::showalter(lower.data(), lower.size(), hum.data(), hum.size(), pressureOf(t), top.data(),
                      top.size(), pressureOf(upper), result.getData(), result.getCount());
  return done(out, result, "show", "dC");
}

// ---- Functions by name ----

namespace {

using Function = int (*)(Grid& out, const Grids& in, const char* option);

struct NamedFunction {
  const char* name;
  Function run;
};

const Grid& g0(const Grids& in) { return in.getGrid(0); }
const Grid& g1(const Grids& in) { return in.getGrid(1); }
const Grid& g2(const Grids& in) { return in.getGrid(2); }

#define KOL_FN(body)                                        \
  [](Grid& o, const Grids& in, const char* option) -> int { \
    (void)option;                                           \
    return body;                                            \
  }

const NamedFunction functions[] = {
    {"valid", KOL_FN(GridMath::revalue(o, "", g0(in).isData() ? g0(in) : g1(in)))},
    {"add", KOL_FN(GridMath::add(o, g0(in), g1(in)))},
    {"sum", KOL_FN(GridMath::add(o, in))},
    {"avg", KOL_FN(GridMath::avg(o, in))},
    {"sub", KOL_FN(GridMath::sub(o, g0(in), g1(in)))},
    {"mul", KOL_FN(GridMath::mult(o, g0(in), g1(in)))},
    {"div", KOL_FN(GridMath::div(o, g0(in), g1(in)))},
    {"mod", KOL_FN(GridMath::mod(o, g0(in), g1(in)))},
    {"sqrt", KOL_FN(GridMath::sqrt(o, g0(in)))},
    {"abs", KOL_FN(GridMath::abs(o, g0(in)))},
    {"inv", KOL_FN(GridMath::inv(o, g0(in)))},
    {"log", KOL_FN(GridMath::log(o, g0(in)))},
    {"log10", KOL_FN(GridMath::log10(o, g0(in)))},
    {"exp", KOL_FN(GridMath::exp(o, g0(in)))},
    {"pow", KOL_FN(GridMath::pow(o, g0(in), g1(in)))},
    {"max", KOL_FN(GridMath::max(o, in))},
    {"min", KOL_FN(GridMath::min(o, in))},
    {"thick", KOL_FN(GridMath::thick(o, g0(in), g1(in)))},
    {"dewp", KOL_FN(GridMath::dewpoint(o, g0(in), g1(in)))},
    {"rhum", KOL_FN(GridMath::relHum(o, g0(in), g1(in)))},
    {"wetblb", KOL_FN(GridMath::wetBulb(o, g0(in), g1(in)))},
    {"wchill", KOL_FN(GridMath::windChill(o, g0(in), g1(in), StrLib::toInt(option)))},
    {"wchill2", KOL_FN(GridMath::windChill(o, g0(in), g1(in), g2(in)))},
    {"heat", KOL_FN(GridMath::heatIndex(o, g0(in), g1(in)))},
    {"mixrat", KOL_FN(GridMath::mixRatio(o, g0(in), g1(in)))},
    {"mrat", KOL_FN(GridMath::mixRatio(o, g0(in), g1(in)))},
    {"shum", KOL_FN(GridMath::specHum(o, g0(in), g1(in)))},
    {"theta", KOL_FN(GridMath::potTemp(o, g0(in)))},
    {"thetav", KOL_FN(GridMath::virtPotTemp(o, g0(in), g1(in)))},
    {"vtemp", KOL_FN(GridMath::virtTemp(o, g0(in), g1(in)))},
    {"thetae", KOL_FN(GridMath::equivPotTemp(o, g0(in), g1(in)))},
    {"spd", KOL_FN(GridMath::windSpd(o, g0(in), g1(in)))},
    {"wspd", KOL_FN(GridMath::windSpd(o, g0(in), g1(in)))},
    {"mag", KOL_FN(GridMath::windSpd(o, g0(in), g1(in)))},
    {"dir", KOL_FN(GridMath::windDir(o, g0(in), g1(in), 0))},
    {"wdir", KOL_FN(GridMath::windDir(o, g0(in), g1(in), 0))},
    {"ewdir", KOL_FN(GridMath::windDir(o, g0(in), g1(in), 1))},
    {"uwnd", KOL_FN(GridMath::windU(o, g0(in), g1(in), 0))},
    {"vwnd", KOL_FN(GridMath::windV(o, g0(in), g1(in), 0))},
    {"uwndg", KOL_FN(GridMath::windU(o, g0(in), g1(in), 1))},
    {"vwndg", KOL_FN(GridMath::windV(o, g0(in), g1(in), 1))},
    {"conv", KOL_FN(in.getNum() >= 3 ? GridMath::converge(o, g0(in), g1(in), g2(in))
                                     : GridMath::converge(o, g0(in), g1(in)))},
    {"adv", KOL_FN(GridMath::advection(o, g0(in), g1(in), g2(in)))},
    {"rvort", KOL_FN(GridMath::vorticity(o, g0(in), g1(in)))},
    {"avort", KOL_FN(GridMath::absVorticity(o, g0(in), g1(in)))},
    {"ugeos", KOL_FN(GridMath::geosU(o, g0(in)))},
    {"vgeos", KOL_FN(GridMath::geosV(o, g0(in)))},
    {"dx", KOL_FN(GridMath::dx(o, g0(in)))},
    {"dy", KOL_FN(GridMath::dy(o, g0(in)))},
    {"lapl", KOL_FN(GridMath::laplacian(o, g0(in)))},
    {"def1", KOL_FN(GridMath::deformation1(o, g0(in), g1(in)))},
    {"def2", KOL_FN(GridMath::deformation2(o, g0(in), g1(in)))},
    {"show", KOL_FN(GridMath::showalter(o, g0(in), g1(in), g2(in)))},
};

#undef KOL_FN

constexpr int NAME_SIZE = 21;

// Splits "function-option" into its two parts of at most 20 characters each.
void splitName(const char* name, char* fn, char* option)
{
  const char* dash = std::strchr(name, '-');
  StrLib::copy(fn, NAME_SIZE, name, dash ? static_cast<int>(dash - name) : StrLib::length(name));
  StrLib::copy(option, NAME_SIZE, dash ? dash + 1 : "");
}

// A failed function still gives a grid to draw: its first input's description, all missing.
void missingResult(Grid& out, const Grids& in, const char* fn)
{
  for (int k = 0; k < in.getNum(); ++k) {
    if (!in.getGrid(k).isData()) continue;
    out.copyInfo(in.getGrid(k));
    out.allocData();
    GridMath::setInfo(out, fn, "");
    return;
  }
}

}  // namespace

int GridMath::process(const char* name, Grid& out, const Grids& in)
{
  out.init();
  if (!StrLib::valid(name)) return 0;
  char fn[NAME_SIZE], option[NAME_SIZE];
  splitName(name, fn, option);
  Kol::outDebug(4, "PROC: %s - %s - %s - %d - %s\n", name, fn, option, in.getNum(),
                g0(in).getUnits());
  for (const NamedFunction& f : functions) {
    if (std::strcmp(f.name, fn) != 0) continue;
    int ok = f.run(out, in, option);
    if (!ok) {
      missingResult(out, in, fn);
    } else if (option[0] && std::strcmp(fn, "wchill") != 0) {
      setInfo(out, option, out.getUnits());
    }
    return ok;
  }
  Kol::outWarning("GridMath: unknown function: %s\n", fn);
  return 0;
}

int GridMath::processVector(const char* name, Grid& outU, Grid& outV, const Grids& in)
{
  outU.init();
  outV.init();
  if (!StrLib::valid(name)) return 0;
  char fn[NAME_SIZE], option[NAME_SIZE];
  splitName(name, fn, option);
  if (std::strcmp(fn, "grad") == 0) return dx(outU, g0(in)) & dy(outV, g0(in));
  if (std::strcmp(fn, "vdiff") == 0)
    return sub(outU, g0(in), g2(in)) & sub(outV, g1(in), in.getGrid(3));
  Kol::outWarning("GridMath: unknown vector function: %s\n", fn);
  return 0;
}

}  // namespace KOL
