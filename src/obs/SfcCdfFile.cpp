#include "obs/SfcCdfFile.h"

#include <netcdf.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/File.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/sfc/SfcFields.h"

namespace KOL {

namespace {

using sfc::Field;

constexpr const char* RECORDS = "recNum";
constexpr const char* TITLE = "Surface converted data";
constexpr float FILL = Const::FMISS;
constexpr int IFILL = Const::MISS;
constexpr double DFILL = Const::MISS;
constexpr size_t MAX_TEXT = 4096;

// Closes the netCDF file on every way out.
class NcFile {
 public:
  ~NcFile()
  {
    if (id >= 0) nc_close(id);
  }
  int id = -1;
};

bool fail(int status, const char* what, const std::string& name)
{
  if (status == NC_NOERR) return false;
  Kol::outWarning("SfcCdfFile: %s %s: %s\n", what, name.c_str(), nc_strerror(status));
  return true;
}

nc_type typeOf(const Field& f)
{
  switch (f.kind) {
    case Field::FLOAT:
      return NC_FLOAT;
    case Field::INT:
    case Field::LONG:
      return NC_INT;
    case Field::DATE:
      return NC_DOUBLE;
    default:
      return NC_CHAR;
  }
}

// Defines one variable with its attributes; its id or -1.
int define(int nc, const Field& f, int recDim)
{
  int dims[2] = {recDim, -1};
  int ndims = 1;
  if (f.kind == Field::TEXT) {
    std::string len = std::string(f.cdf) + "_len";
    if (nc_def_dim(nc, len.c_str(), f.size, &dims[1]) != NC_NOERR) return -1;
    ndims = 2;
  }
  int var = -1;
  if (nc_def_var(nc, f.cdf, typeOf(f), ndims, dims, &var) != NC_NOERR) return -1;
  nc_put_att_text(nc, var, "long_name", std::strlen(f.meaning), f.meaning);
  if (*f.units) nc_put_att_text(nc, var, "units", std::strlen(f.units), f.units);
  if (f.kind == Field::FLOAT) nc_put_att_float(nc, var, "_FillValue", NC_FLOAT, 1, &FILL);
  if (f.kind == Field::INT || f.kind == Field::LONG)
    nc_put_att_int(nc, var, "_FillValue", NC_INT, 1, &IFILL);
  if (f.kind == Field::DATE) nc_put_att_double(nc, var, "_FillValue", NC_DOUBLE, 1, &DFILL);
  return var;
}

// One column of all records, in the variable's type.
int putColumn(int nc, int var, const Field& f, const std::vector<SfcData>& records)
{
  size_t n = records.size();
  size_t start[2] = {0, 0}, count[2] = {n, static_cast<size_t>(f.size)};
  switch (f.kind) {
    case Field::FLOAT: {
      std::vector<float> v(n);
      for (size_t i = 0; i < n; ++i) v[i] = f.real(const_cast<SfcData&>(records[i]));
      return nc_put_vara_float(nc, var, start, count, v.data());
    }
    case Field::INT:
    case Field::LONG: {
      std::vector<int> v(n);
      for (size_t i = 0; i < n; ++i) {
        SfcData& s = const_cast<SfcData&>(records[i]);
        v[i] = f.kind == Field::INT ? f.whole(s) : static_cast<int>(f.wide(s));
      }
      return nc_put_vara_int(nc, var, start, count, v.data());
    }
    case Field::DATE: {
      std::vector<double> v(n);
      for (size_t i = 0; i < n; ++i)
        v[i] = records[i].date.isSet() ? records[i].date.getSeconds() : DFILL;
      return nc_put_vara_double(nc, var, start, count, v.data());
    }
    case Field::CHAR: {
      std::vector<char> v(n);
      for (size_t i = 0; i < n; ++i) {
        SfcData& s = const_cast<SfcData&>(records[i]);
        v[i] = f.text ? *f.text(s) : static_cast<char>(s.low_amount);
      }
      return nc_put_vara_text(nc, var, start, count, v.data());
    }
    case Field::TEXT: {
      std::vector<char> v(n * f.size, '\0');
      for (size_t i = 0; i < n; ++i)
        StrLib::copy(&v[i * f.size], f.size, f.text(const_cast<SfcData&>(records[i])));
      return nc_put_vara_text(nc, var, start, count, v.data());
    }
  }
  return NC_NOERR;
}

// The variable runs along the record dimension only (and its text length for text).
bool shaped(int nc, int var, const Field& f, int recDim)
{
  int ndims = 0;
  int dims[NC_MAX_VAR_DIMS];
  nc_type type;
  if (nc_inq_var(nc, var, nullptr, &type, &ndims, dims, nullptr) != NC_NOERR) return false;
  return type == typeOf(f) && ndims == (f.kind == Field::TEXT ? 2 : 1) && dims[0] == recDim;
}

// One column into the records; the text fields are cut to the record's sizes.
int getColumn(int nc, int var, const Field& f, std::vector<SfcData>& records)
{
  size_t n = records.size();
  switch (f.kind) {
    case Field::FLOAT: {
      std::vector<float> v(n);
      int st = nc_get_var_float(nc, var, v.data());
      for (size_t i = 0; st == NC_NOERR && i < n; ++i) f.real(records[i]) = v[i];
      return st;
    }
    case Field::INT:
    case Field::LONG: {
      std::vector<int> v(n);
      int st = nc_get_var_int(nc, var, v.data());
      for (size_t i = 0; st == NC_NOERR && i < n; ++i) {
        if (f.kind == Field::INT)
          f.whole(records[i]) = v[i];
        else
          f.wide(records[i]) = v[i];
      }
      return st;
    }
    case Field::DATE: {
      std::vector<double> v(n);
      int st = nc_get_var_double(nc, var, v.data());
      for (size_t i = 0; st == NC_NOERR && i < n; ++i)
        if (v[i] != DFILL) records[i].date.set(static_cast<long>(v[i]));
      return st;
    }
    case Field::CHAR: {
      std::vector<char> v(n);
      int st = nc_get_var_text(nc, var, v.data());
      for (size_t i = 0; st == NC_NOERR && i < n; ++i) {
        if (f.text)
          *f.text(records[i]) = v[i] ? v[i] : ' ';
        else
          records[i].low_amount = v[i] ? v[i] : ' ';
      }
      return st;
    }
    case Field::TEXT: {
      int dims[NC_MAX_VAR_DIMS];
      size_t len = 0;
      if (nc_inq_vardimid(nc, var, dims) != NC_NOERR ||
          nc_inq_dimlen(nc, dims[1], &len) != NC_NOERR || len == 0 || len > MAX_TEXT)
        return NC_EINVAL;
      std::vector<char> v(n * len + 1, '\0');
      int st = nc_get_var_text(nc, var, v.data());
      for (size_t i = 0; st == NC_NOERR && i < n; ++i) {
        std::string text(&v[i * len], strnlen(&v[i * len], len));
        StrLib::copy(f.text(records[i]), f.size, text.c_str());
      }
      return st;
    }
  }
  return NC_NOERR;
}

}  // namespace

void SfcCdfFile::init()
{
  name_.clear();
  mode_ = READ;
  open_ = false;
  date_ = Date();
  records_.clear();
  next_ = 0;
}

int SfcCdfFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "r")) return -1;
  char head[3] = {};
  return f.read(head, 3) == 3 && !std::memcmp(head, "CDF", 3) ? 1 : 0;
}

int SfcCdfFile::open(const char* name, int mode)
{
  close();
  if (!name || mode < READ || mode > APPEND) return 0;
  int type = checkType(name);
  if (mode == READ && type != 1) {
    Kol::outWarning("SfcCdfFile: not a surface netCDF file: %s\n", name);
    return 0;
  }
  if (mode == APPEND && type == 0) {
    File f(name, "r");
    char c;
    if (f.read(&c, 1) == 1) {
      Kol::outWarning("SfcCdfFile: not a surface netCDF file: %s\n", name);
      return 0;
    }
  }
  if (type == 1 && mode != WRITE && !load(name)) return 0;
  if (mode != READ) {
    File probe(name, "a");
    if (!probe.isOpen()) {
      Kol::outWarning("SfcCdfFile: Unable to open file: %s\n", name);
      records_.clear();
      return 0;
    }
  }
  name_ = name;
  mode_ = mode;
  open_ = true;
  next_ = 0;
  return 1;
}

bool SfcCdfFile::load(const char* name)
{
  NcFile nc;
  std::string file = name;
  if (fail(nc_open(name, NC_NOWRITE, &nc.id), "cannot open", file)) return false;
  int dim;
  size_t n = 0;
  if (fail(nc_inq_dimid(nc.id, RECORDS, &dim), "no record dimension in", file) ||
      fail(nc_inq_dimlen(nc.id, dim, &n), "cannot read", file))
    return false;
  // Every record takes bytes of the file: a header claiming more records is not believed.
  struct stat st;
  if (::stat(name, &st) != 0 || n > static_cast<size_t>(st.st_size)) {
    Kol::outWarning("SfcCdfFile: %s claims more records than it holds\n", name);
    return false;
  }
  int idVar;
  if (fail(nc_inq_varid(nc.id, "id", &idVar), "no station identifiers in", file)) return false;
  if (!shaped(nc.id, idVar, *sfc::findField("id"), dim)) {
    Kol::outWarning("SfcCdfFile: the station identifiers of %s have another shape\n", name);
    return false;
  }
  double secs;
  if (nc_get_att_double(nc.id, NC_GLOBAL, "date", &secs) == NC_NOERR && secs != DFILL)
    date_.set(static_cast<long>(secs));
  records_.assign(n, SfcData());
  std::string missing;
  for (int i = 0; i < sfc::fieldCount(); ++i) {
    const Field& f = sfc::fields()[i];
    int var;
    if (nc_inq_varid(nc.id, f.cdf, &var) != NC_NOERR || !shaped(nc.id, var, f, dim)) {
      missing += missing.empty() ? f.cdf : std::string(" ") + f.cdf;
      continue;
    }
    if (n && fail(getColumn(nc.id, var, f, records_), "cannot read a variable of", file)) {
      records_.clear();
      return false;
    }
  }
  for (SfcData& s : records_) sfc::finishRecord(s);
  if (!missing.empty())
    Kol::outWarning("SfcCdfFile: %s lacks the variables (or has them in another shape) %s\n", name,
                    missing.c_str());
  return true;
}

bool SfcCdfFile::save() const
{
  NcFile nc;
  if (fail(nc_create(name_.c_str(), NC_CLOBBER, &nc.id), "cannot create", name_)) return false;
  int recDim;
  if (fail(nc_def_dim(nc.id, RECORDS, NC_UNLIMITED, &recDim), "cannot define", name_)) return false;
  nc_put_att_text(nc.id, NC_GLOBAL, "title", std::strlen(TITLE), TITLE);
  const char* history = "written by libkol";
  nc_put_att_text(nc.id, NC_GLOBAL, "history", std::strlen(history), history);
  double secs = date_.isSet() ? date_.getSeconds() : DFILL;
  nc_put_att_double(nc.id, NC_GLOBAL, "date", NC_DOUBLE, 1, &secs);
  std::vector<int> vars(sfc::fieldCount());
  for (int i = 0; i < sfc::fieldCount(); ++i) {
    vars[i] = define(nc.id, sfc::fields()[i], recDim);
    if (vars[i] < 0) return !fail(NC_EINVAL, "cannot define a variable of", name_);
  }
  if (fail(nc_enddef(nc.id), "cannot write", name_)) return false;
  if (records_.empty()) return true;
  for (int i = 0; i < sfc::fieldCount(); ++i)
    if (fail(putColumn(nc.id, vars[i], sfc::fields()[i], records_), "cannot write", name_))
      return false;
  int st = nc_close(nc.id);
  nc.id = -1;
  return !fail(st, "cannot close", name_);
}

int SfcCdfFile::read(SfcData& s)
{
  if (!open_ || mode_ != READ || next_ >= records_.size()) return 0;
  s = records_[next_++];
  return 1;
}

int SfcCdfFile::write(const SfcData& s)
{
  if (!open_ || mode_ == READ) return 0;
  records_.push_back(s);
  return 1;
}

int SfcCdfFile::setDate(const Date& d)
{
  date_ = d;
  return 1;
}

int SfcCdfFile::getDate(Date& d) const
{
  d = date_;
  return d.isSet() ? 1 : 0;
}

int SfcCdfFile::rewind()
{
  if (!open_ || mode_ != READ) return 0;
  next_ = 0;
  return 1;
}

int SfcCdfFile::close()
{
  int ok = 1;
  if (open_ && mode_ != READ && !save()) ok = 0;
  open_ = false;
  records_.clear();
  next_ = 0;
  return ok;
}

}  // namespace KOL
