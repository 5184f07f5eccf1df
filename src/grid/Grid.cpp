#include "grid/Grid.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/StrLib.h"
#include "core/String.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;

// a + (b - a)·f, missing when either end is.
float lerp(float a, float b, float f) { return a == MISS || b == MISS ? MISS : a + (b - a) * f; }

}  // namespace

Grid::Grid(int nx, int ny)
{
  init();
  setSize(nx, ny);
  allocData();
}

void Grid::init()
{
  type_ = 0;
  version_ = 0;
  source_ = Const::MISS;
  datim_[0] = info_[0] = model_name_[0] = '\0';
  date_.init();
  nx_ = ny_ = Const::MISS;
  grid_num_ = Const::MISS;
  domain_.init();
  model_id_ = Const::MISS;
  spec_.init();
  data_.clear();
  locate_x_.clear();
  locate_y_.clear();
}

int Grid::copy(const Grid& g)
{
  *this = g;
  return 1;
}

int Grid::copyInfo(const Grid& g)
{
  std::vector<float> data = std::move(data_);
  std::vector<float> lx = std::move(locate_x_), ly = std::move(locate_y_);
  type_ = g.type_;
  version_ = g.version_;
  source_ = g.source_;
  std::memcpy(datim_, g.datim_, sizeof datim_);
  std::memcpy(info_, g.info_, sizeof info_);
  date_ = g.date_;
  nx_ = g.nx_;
  ny_ = g.ny_;
  grid_num_ = g.grid_num_;
  domain_ = g.domain_;
  model_id_ = g.model_id_;
  std::memcpy(model_name_, g.model_name_, sizeof model_name_);
  spec_ = g.spec_;
  // Arrays that still fit the new size are kept.
  if (data.size() == getCount()) data_ = std::move(data);
  if (lx.size() == getCount()) {
    locate_x_ = std::move(lx);
    locate_y_ = std::move(ly);
  }
  return 1;
}

int Grid::copyData(const Grid& g)
{
  data_ = g.data_;
  locate_x_ = g.locate_x_;
  locate_y_ = g.locate_y_;
  return 1;
}

void Grid::setDatim(const char* text) { StrLib::copy(datim_, DATIM_SIZE, text ? text : ""); }

void Grid::setInfo(const char* text) { StrLib::copy(info_, INFO_SIZE, text ? text : ""); }

void Grid::setGenName(const char* name) { StrLib::copy(model_name_, MODEL_SIZE, name ? name : ""); }

Date Grid::getInitDate() const
{
  long secs = getForeSeconds();
  if (!date_.isSet() || secs == Const::MISS) return date_;
  return Date(date_.getSeconds() - secs);
}

std::size_t Grid::getCount() const
{
  return nx_ > 0 && ny_ > 0 ? static_cast<std::size_t>(nx_) * ny_ : 0;
}

int Grid::setSize(int nx, int ny)
{
  if (nx < 1 || ny < 1) return 0;
  std::size_t before = getCount();
  nx_ = nx;
  ny_ = ny;
  domain_.nx = nx;
  domain_.ny = ny;
  if (domain_.proj != Const::MISS) domain_.setLimits();
  if (getCount() != before) {
    data_.clear();
    locate_x_.clear();
    locate_y_.clear();
  }
  return 1;
}

int Grid::setDomain(const Domain& d)
{
  std::size_t before = getCount();
  domain_ = d;
  nx_ = d.nx;
  ny_ = d.ny;
  if (getCount() != before) {
    data_.clear();
    locate_x_.clear();
    locate_y_.clear();
  }
  return 1;
}

int Grid::setDomain(const DomainVal& d) { return setDomain(Domain(d)); }

int Grid::setLevel(const char* text)
{
  Level l;
  int ok = l.decode(text);
  spec_.setLevel(l);
  return ok;
}

int Grid::getLevelType() const
{
  const Level& l = spec_.getLevel();
  return l.isSet() ? l.toTypeCode() : Const::MISS;
}

int Grid::setForeTime(const char* text)
{
  ForeTime f;
  int ok = f.decode(text);
  spec_.setForeTime(f);
  return ok;
}

float Grid::getForeHours() const { return spec_.getForeTime().getHours(); }

long Grid::getForeSeconds() const { return spec_.getForeTime().getSeconds(); }

int Grid::setUnits(const char* units)
{
  if (!StrLib::valid(units)) return 0;
  spec_.setUnits(units);
  std::string info = info_;
  size_t cut = info.find('[');
  if (cut == std::string::npos) cut = info.find('(');
  if (cut == std::string::npos) {
    info += info.empty() ? "" : " ";
  } else {
    info.erase(cut);
  }
  info += std::string("[") + units + "]";
  setInfo(info.c_str());
  return 1;
}

GridSpec Grid::getSpec() const
{
  GridSpec s;
  s.set(spec_);
  const Level& l = spec_.getLevel();
  s.set(model_id_, grid_num_, s.getForeTime(), l.isSet() ? l.toTypeCode() : Const::MISS,
        l.isSet() ? l.toLevelCode() : Const::MISS, s.getVar());
  return s;
}

int Grid::allocData()
{
  if (getCount() == 0) return 0;
  data_.assign(getCount(), MISS);
  return 1;
}

int Grid::allocLocate()
{
  if (nx_ < 2 || ny_ < 2) return 0;
  locate_x_.assign(getCount(), MISS);
  locate_y_.assign(getCount(), MISS);
  return 1;
}

int Grid::setData(const float* values, int flip)
{
  if (!values || getCount() == 0) return 0;
  data_.resize(getCount());
  if (!flip) {
    std::copy(values, values + getCount(), data_.begin());
    return 1;
  }
  for (int j = 0; j < ny_; ++j) {
    const float* src = values + at(0, ny_ - 1 - j);
    std::copy(src, src + nx_, data_.begin() + at(0, j));
  }
  return 1;
}

int Grid::setData(const std::vector<float>& values, int flip)
{
  return values.size() < getCount() ? 0 : setData(values.data(), flip);
}

void Grid::clearData() { data_.clear(); }

int Grid::setValue(int i, int j, float v)
{
  if (!isData() || !inside(i, j)) return 0;
  data_[at(i, j)] = v;
  return 1;
}

float Grid::getValue(int i, int j) const
{
  if (!isData()) return MISS;
  if (isValue()) return data_[0];
  return inside(i, j) ? raw(i, j) : MISS;
}

float Grid::getValue(const GridPoint& g) const
{
  if (!isData()) return MISS;
  if (isValue()) return data_[0];
  if (g.isMiss() || !(g.x >= 0 && g.y >= 0 && g.x <= nx_ - 1 && g.y <= ny_ - 1)) return MISS;
  int i = static_cast<int>(g.x), j = static_cast<int>(g.y);
  float fx = g.x - i, fy = g.y - j;
  bool lastCol = i == nx_ - 1, lastRow = j == ny_ - 1;
  if (lastCol && lastRow) return raw(i, j);
  if (lastCol) return lerp(raw(i, j), raw(i, j + 1), fy);
  if (lastRow) return lerp(raw(i, j), raw(i + 1, j), fx);
  float a = raw(i, j), b = raw(i + 1, j), c = raw(i, j + 1), d = raw(i + 1, j + 1);
  if (a == MISS || b == MISS || c == MISS || d == MISS) return MISS;
  return (1 - fx) * (1 - fy) * a + fx * (1 - fy) * b + (1 - fx) * fy * c + fx * fy * d;
}

float Grid::getValue(const EarthPoint& e) const
{
  if (isValue()) return getValue(0, 0);
  GridPoint g;
  return tran(e, g) ? getValue(g) : MISS;
}

float Grid::getValue(const Point& p) const
{
  if (isValue()) return getValue(0, 0);
  GridPoint g;
  return tran(p, g) ? getValue(g) : MISS;
}

int Grid::setLocate(int i, int j, const Point& p)
{
  if (!isLocate() || !inside(i, j)) return 0;
  locate_x_[at(i, j)] = p.x;
  locate_y_[at(i, j)] = p.y;
  return 1;
}

int Grid::getLocate(int i, int j, Point& p) const
{
  p.init();
  if (!isLocate() || !inside(i, j)) return 0;
  p.set(locate_x_[at(i, j)], locate_y_[at(i, j)]);
  return 1;
}

Point Grid::getLocate(int i, int j) const
{
  Point p;
  getLocate(i, j, p);
  return p;
}

int Grid::tran(const EarthPoint& e, Point& p) const
{
  EarthPoint c = e;
  return domain_.tran(c, p);
}

int Grid::tran(const Point& p, EarthPoint& e) const { return domain_.tran(p, e); }

int Grid::tran(const EarthPoint& e, GridPoint& g) const
{
  EarthPoint c = e;
  return domain_.tran(c, g);
}

int Grid::tran(const GridPoint& g, EarthPoint& e) const { return domain_.tran(g, e); }

int Grid::tran(const Point& p, GridPoint& g) const { return domain_.tran(p, g); }

int Grid::tran(const GridPoint& g, Point& p) const { return domain_.tran(g, p); }

int Grid::tran(const Domain& other, const Point& in, Point& out) const
{
  return Domain::translate(other, domain_, in, out);
}

int Grid::tran(const Point& in, const Domain& other, Point& out) const
{
  return Domain::translate(domain_, other, in, out);
}

int Grid::getValid() const
{
  if (!isData()) return Const::MISS;
  return static_cast<int>(
      std::count_if(data_.begin(), data_.end(), [](float v) { return v != MISS; }));
}

float Grid::getAverage() const
{
  double sum = 0;
  long n = 0;
  for (float v : data_) {
    if (v == MISS) continue;
    sum += v;
    n++;
  }
  return n ? static_cast<float>(sum / n) : MISS;
}

int Grid::getRange(float& min, float& max) const
{
  min = max = MISS;
  if (!isData()) return 0;
  auto v = std::find_if(data_.begin(), data_.end(), [](float x) { return x != MISS; });
  if (v == data_.end()) return 1;
  // in locals, without a branch per value to mispredict; NaN is passed over by the comparisons
  float lo = *v, hi = *v;
  for (++v; v != data_.end(); ++v) {
    if (*v == MISS) continue;
    lo = *v < lo ? *v : lo;
    hi = hi < *v ? *v : hi;
  }
  min = lo, max = hi;
  return 1;
}

void Grid::scale(float f)
{
  for (float& v : data_)
    if (v != MISS) v *= f;
}

void Grid::offset(float f)
{
  for (float& v : data_)
    if (v != MISS) v += f;
}

void Grid::print() const
{
  String date, fore, level;
  date_.toText(date);
  spec_.getForeTime().toString(fore);
  spec_.getLevel().toString(level);
  std::printf("Date: %s\nInfo: %s\n", date.get(), info_);
  std::printf("Time: %d %s ", spec_.getForeTime().toCode(), fore.get());
  std::printf("Level: %d %d %s ", getLevelType(), spec_.getLevel().toLevelCode(), level.get());
  std::printf("Variable: %s [%s] ", spec_.getName(), getUnits());
  std::printf("Size: %d x %d\nDomain: ", nx_, ny_);
  domain_.print();
}

void Grid::printInfo() const
{
  String fore, level;
  spec_.getForeTime().toString(fore);
  spec_.getLevel().toString(level);
  std::printf("Model: %s ", model_name_);
  std::printf("Grid: %d ", grid_num_);
  std::printf("Time: %d %s ", spec_.getForeTime().toCode(), fore.get());
  std::printf("Level: %d %d %s ", getLevelType(), spec_.getLevel().toLevelCode(), level.get());
  std::printf("Variable: %d %s [%s]\n", getVar().getInd(), spec_.getName(), getUnits());
}

void Grid::printStats() const
{
  float min, max;
  getRange(min, max);
  std::printf("Size: %d %d\n", nx_, ny_);
  std::printf("Max: %f Min: %f Ave: %f\n", max, min, getAverage());
  int valid = getValid();
  if (valid != Const::MISS && static_cast<std::size_t>(valid) < data_.size())
    std::printf("Miss: %d\n", static_cast<int>(data_.size()) - valid);
}

void Grid::printData() const
{
  if (!isData()) return;
  for (int j = 0; j < ny_; ++j)
    for (int i = 0; i < nx_; ++i) std::printf("[%d,%d] = %f\n", i, j, raw(i, j));
}

}  // namespace KOL
