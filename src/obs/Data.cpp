#include "obs/Data.h"

#include <cstdio>

#include "core/StrLib.h"
#include "core/String.h"
#include "obs/Datum.h"

namespace KOL {

Data::Data(int nfields)
{
  init();
  setFields(nfields);
}

void Data::init()
{
  info_.clear();
  datim_.clear();
  source_.clear();
  date_.init();
  setFields(1);
}

int Data::setFields(int n)
{
  if (n < 0) return 0;
  fields_.assign(n, Field());
  count_ = 0;
  capacity_ = DEFAULT_CAPACITY;
  resizeColumns();
  return 1;
}

void Data::copyInfo(const Data& other)
{
  info_ = other.info_;
  datim_ = other.datim_;
  source_ = other.source_;
  date_ = other.date_;
  fields_.clear();
  for (const Field& f : other.fields_) {
    Field copy;
    copy.info = f.info;
    copy.var = f.var;
    copy.type = f.type;
    fields_.push_back(std::move(copy));
  }
  count_ = 0;
  capacity_ = DEFAULT_CAPACITY;
  resizeColumns();
}

void Data::resetColumn(Field& f) const
{
  f.values.assign(f.type == NUMERIC ? capacity_ : 0, Const::FMISS);
  f.strings.assign(f.type == TEXT ? capacity_ : 0, std::nullopt);
}

void Data::resizeColumns()
{
  ids_.resize(capacity_);
  locs_.resize(capacity_);
  for (Field& f : fields_) {
    if (f.type == NUMERIC)
      f.values.resize(capacity_, Const::FMISS);
    else
      f.strings.resize(capacity_);
  }
}

void Data::clear()
{
  for (Field& f : fields_) resetColumn(f);
  for (auto& id : ids_) id.clear();
  for (auto& p : locs_) p.init();
  count_ = 0;
}

int Data::setType(int field, int type)
{
  if (field < 0 || field >= getNumFields() || (type != NUMERIC && type != TEXT)) return 0;
  fields_[field].type = type;
  resetColumn(fields_[field]);
  return 1;
}

int Data::getType(int field) const
{
  return field < 0 || field >= getNumFields() ? Const::MISS : fields_[field].type;
}

int Data::expand(int n)
{
  if (n <= capacity_) return 1;
  capacity_ = n;
  resizeColumns();
  return 1;
}

bool Data::reach(int row)
{
  if (row < 0) return false;
  if (row >= capacity_)
    expand(row + 1 > capacity_ + capacity_ / 2 ? row + 1 : capacity_ + capacity_ / 2);
  if (row >= count_) count_ = row + 1;
  return true;
}

bool Data::valid(int field, int type) const
{
  return field >= 0 && field < getNumFields() && fields_[field].type == type;
}

int Data::numericField(int nth) const
{
  for (int i = 0; i < getNumFields(); i++)
    if (fields_[i].type == NUMERIC && nth-- == 0) return i;
  return -1;
}

int Data::add(const char* id, const EarthPoint& p, float v)
{
  int row = count_;
  reach(row);
  ids_[row] = id ? id : "";
  locs_[row] = p;
  int f = numericField(0);
  if (f >= 0) fields_[f].values[row] = v;
  return row;
}

int Data::add(const char* id, const EarthPoint& p, float first, float second)
{
  int row = add(id, p, first);
  int f = numericField(1);
  if (f >= 0) fields_[f].values[row] = second;
  return row;
}

int Data::add(const Datum& d)
{
  int row = add(d.id, d.loc, d.values[0], d.values[1]);
  if (getType(0) == TEXT) fields_[0].strings[row] = std::string(d.data);
  return row;
}

int Data::add(const Data& other, int field, int toField)
{
  if (field < 0 || field >= other.getNumFields() || toField < 0 || toField >= getNumFields())
    return 0;
  int type = other.fields_[field].type;
  if (type != fields_[toField].type) return 0;
  for (int r = 0; r < other.count_; r++) {
    int row = count_;
    reach(row);
    ids_[row] = other.ids_[r];
    locs_[row] = other.locs_[r];
    if (type == NUMERIC)
      fields_[toField].values[row] = other.fields_[field].values[r];
    else
      fields_[toField].strings[row] = other.fields_[field].strings[r];
  }
  return 1;
}

int Data::setInfo(int field, const char* s)
{
  if (field < 0 || field >= getNumFields()) return 0;
  fields_[field].info = s ? s : "";
  return 1;
}

const char* Data::getInfo(int field) const
{
  return field < 0 || field >= getNumFields() ? "" : fields_[field].info.c_str();
}

int Data::searchInfo(const char* s) const
{
  if (!s) return -1;
  for (int i = 0; i < getNumFields(); i++)
    if (fields_[i].info == s) return i;
  return -1;
}

int Data::setVarSpec(int field, const VarSpec& spec)
{
  if (field < 0 || field >= getNumFields()) return 0;
  fields_[field].var = spec;
  String label;
  spec.toInfoLabel(label);
  fields_[field].info = label.get();
  return 1;
}

int Data::setUnits(int field, const char* units)
{
  if (field < 0 || field >= getNumFields()) return 0;
  VarSpec spec = fields_[field].var;
  spec.setUnits(units);
  return setVarSpec(field, spec);
}

const char* Data::getUnits(int field) const
{
  return field < 0 || field >= getNumFields() ? "" : fields_[field].var.getUnits();
}

const VarSpec* Data::getVarSpec(int field) const
{
  return field < 0 || field >= getNumFields() ? nullptr : &fields_[field].var;
}

int Data::getIndex(const char* id) const
{
  if (!id) return -1;
  for (int r = 0; r < count_; r++)
    if (ids_[r] == id) return r;
  return -1;
}

int Data::setId(int row, const char* id)
{
  if (!reach(row)) return 0;
  ids_[row] = id ? id : "";
  return 1;
}

const char* Data::getId(int row) const { return row < 0 || row >= count_ ? "" : ids_[row].c_str(); }

int Data::setLoc(int row, const EarthPoint& p)
{
  if (!reach(row)) return 0;
  locs_[row] = p;
  return 1;
}

int Data::getLoc(int row, EarthPoint& p) const
{
  p = getLoc(row);
  return row >= 0 && row < count_ ? 1 : 0;
}

EarthPoint Data::getLoc(int row) const
{
  return row < 0 || row >= count_ ? EarthPoint() : locs_[row];
}

int Data::setValue(int row, int field, float v)
{
  if (!valid(field, NUMERIC) || !reach(row)) return 0;
  fields_[field].values[row] = v;
  return 1;
}

float Data::getValue(int row, int field) const
{
  if (!valid(field, NUMERIC) || row < 0 || row >= count_) return Const::FMISS;
  return fields_[field].values[row];
}

int Data::setString(int row, int field, const char* s)
{
  if (!valid(field, TEXT) || !reach(row)) return 0;
  if (s)
    fields_[field].strings[row] = std::string(s);
  else
    fields_[field].strings[row].reset();
  return 1;
}

const char* Data::getString(int row, int field) const
{
  if (!valid(field, TEXT) || row < 0 || row >= count_) return nullptr;
  const auto& s = fields_[field].strings[row];
  return s ? s->c_str() : nullptr;
}

void Data::print() const
{
  std::printf("Data: %s  %s  %s\n", info_.c_str(), datim_.c_str(), source_.c_str());
  std::printf(" Fields: %d  Rows: %d of %d\n", getNumFields(), count_, capacity_);
  for (int i = 0; i < getNumFields(); i++)
    std::printf(" Field %d: %s  %s  [%s]\n", i, fields_[i].type == TEXT ? "text" : "numeric",
                fields_[i].info.c_str(), fields_[i].var.getUnits());
}

void Data::printData() const
{
  print();
  for (int r = 0; r < count_; r++) printData(r);
}

void Data::printData(int row) const
{
  if (row < 0 || row >= count_) return;
  std::printf("%-10s %8.3f %9.3f", ids_[row].c_str(), locs_[row].lat, locs_[row].lon);
  for (const Field& f : fields_) {
    if (f.type == NUMERIC)
      std::printf(" %10g", f.values[row]);
    else
      std::printf(" %s", f.strings[row] ? f.strings[row]->c_str() : "-");
  }
  std::printf("\n");
}

}  // namespace KOL
