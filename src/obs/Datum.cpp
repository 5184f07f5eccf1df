#include "obs/Datum.h"

#include <cstdarg>
#include <cstdio>

#include "core/StrLib.h"

namespace KOL {

void Datum::init()
{
  id[0] = '\0';
  loc.init();
  index = Const::MISS;
  format[0] = '\0';
  initVals();
}

void Datum::initVals()
{
  type = NONE;
  data[0] = '\0';
  for (float& v : values) v = Const::FMISS;
}

int Datum::setId(const char* s) { return StrLib::copy(id, ID_SIZE, s); }
int Datum::setData(const char* s) { return StrLib::copy(data, DATA_SIZE, s); }
int Datum::setData(char c) { return StrLib::copy(data, DATA_SIZE, c); }
int Datum::setFormat(const char* s) { return StrLib::copy(format, FORMAT_SIZE, s); }

int Datum::formatData(const char* fmt, ...)
{
  if (!fmt) return 0;
  char buf[FORMAT_LIMIT + 1];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (n < 0) return 0;
  return setData(buf);
}

int Datum::addFormat(const char* s)
{
  if (!StrLib::valid(s)) return 0;
  if (format[0]) StrLib::append(format, FORMAT_SIZE, ",");
  return StrLib::append(format, FORMAT_SIZE, s);
}

int Datum::setValue(int i, float v)
{
  if (i < 0 || i >= NUM_VALUES) return 0;
  values[i] = v;
  return 1;
}

int Datum::setValue(float first, float second)
{
  values[0] = first;
  values[1] = second;
  return 1;
}

int Datum::offsetValue(int i, float d)
{
  if (i < 0 || i >= NUM_VALUES) return 0;
  if (!Const::isMiss(values[i])) values[i] += d;
  return 1;
}

int Datum::scaleValue(int i, float f)
{
  if (i < 0 || i >= NUM_VALUES) return 0;
  if (!Const::isMiss(values[i])) values[i] *= f;
  return 1;
}

float Datum::getValue(int i) const { return i < 0 || i >= NUM_VALUES ? Const::FMISS : values[i]; }

void Datum::set(const EarthPoint& p, int t, float v)
{
  initVals();
  loc = p;
  type = t;
  values[0] = v;
}

void Datum::set(const EarthPoint& p, int t, float first, float second)
{
  set(p, t, first);
  values[1] = second;
}

void Datum::set(const EarthPoint& p, int t, const char* text, const char* fmt)
{
  initVals();
  loc = p;
  type = t;
  setData(text);
  setFormat(fmt);
}

void Datum::set(int t, float v)
{
  initVals();
  type = t;
  values[0] = v;
}

void Datum::set(int t, const char* text)
{
  initVals();
  type = t;
  setData(text);
}

const char* Datum::typeName(int t)
{
  static const char* const names[] = {"none",  "data",  "value", "text",  "mark", "int",
                                      "cloud", "wbarb", "cbarb", "dbarb", "vect", "avect",
                                      "none",  "symb",  "line",  "const"};
  return t >= 0 && t <= CONST ? names[t] : "none";
}

void Datum::print() const
{
  std::printf("Datum: %s  %.3f %.3f %.0f  type %s  index %d\n", id, loc.lat, loc.lon, loc.value,
              typeName(type), index);
  std::printf(" Values:");
  for (float v : values) std::printf(" %g", v);
  std::printf("\n Data: %s\n Format: %s\n", data, format);
}

}  // namespace KOL
