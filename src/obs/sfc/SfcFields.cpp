#include "obs/sfc/SfcFields.h"

#include <charconv>
#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "obs/SfcData.h"

namespace KOL::sfc {

namespace {

using F = Field;

// Accessor shorthands: each makes a function returning a reference into the record.
#define R(expr) [](SfcData& s) -> float& { return expr; }, nullptr, nullptr, nullptr
#define I(expr) nullptr, [](SfcData& s) -> int& { return expr; }, nullptr, nullptr
#define L(expr) nullptr, nullptr, [](SfcData& s) -> long& { return expr; }, nullptr
#define T(expr) nullptr, nullptr, nullptr, [](SfcData& s) -> char* { return expr; }

const Field FIELDS[] = {
    {"id", "id", "", "station identifier", F::TEXT, SfcData::ID_SIZE, T(s.id)},
    {"name", "name", "", "station name", F::TEXT, SfcData::NAME_SIZE, T(s.name)},
    {"platform", "platform", "", "kind of platform", F::TEXT, SfcData::PLATFORM_SIZE,
     T(s.platform)},
    {"type", "type", "", "report format", F::INT, 0, I(s.type)},
    {"subtype", "subtype", "", "report subtype", F::INT, 0, I(s.subtype)},
    {"wmo", "wmo", "", "WMO block and station number", F::LONG, 0, L(s.wmo)},
    {"lat.deg", "lat", "degrees_north", "latitude", F::FLOAT, 0, R(s.lat)},
    {"lon.deg", "lon", "degrees_east", "longitude", F::FLOAT, 0, R(s.lon)},
    {"elev.m", "elev", "m", "elevation", F::FLOAT, 0, R(s.elev)},
    {"index", "index", "", "spare index", F::INT, 0, I(s.index)},
    {"date", "time", "seconds since 1970-01-01 00:00:00 UTC", "observation time", F::DATE, 0,
     nullptr, nullptr, nullptr, nullptr},
    {"flag", "flag", "", "decoder flags", F::INT, 0, I(s.flag)},
    {"temp.C", "T", "degC", "temperature", F::FLOAT, 0, R(s.temp)},
    {"dewp.C", "TD", "degC", "dew point", F::FLOAT, 0, R(s.dewp)},
    {"wdir.deg", "DIR", "degrees", "wind direction", F::FLOAT, 0, R(s.wdir)},
    {"wspd.knt", "SPD", "knots", "wind speed", F::FLOAT, 0, R(s.wspd)},
    {"wgust.knt", "GUST", "knots", "wind gust", F::FLOAT, 0, R(s.gust)},
    {"alt.in", "ALTIM", "inHg", "altimeter setting", F::FLOAT, 0, R(s.alt)},
    {"slp.mb", "PSL", "hPa", "sea-level pressure", F::FLOAT, 0, R(s.slp)},
    {"vis.mi", "VIS", "miles", "visibility", F::FLOAT, 0, R(s.vis)},
    {"ncld", "NCLD", "", "cloud layers", F::INT, 0, I(s.ncld)},
    {"cld_hgt_1.ft", "CLD_HGT_1", "feet", "cloud base of layer 1", F::FLOAT, 0, R(s.cld[0].height)},
    {"cld_cov_1", "CLD_COV_1", "", "WMO table 2700", F::CHAR, 0, T(&s.cld[0].cover)},
    {"cld_hgt_2.ft", "CLD_HGT_2", "feet", "cloud base of layer 2", F::FLOAT, 0, R(s.cld[1].height)},
    {"cld_cov_2", "CLD_COV_2", "", "WMO table 2700", F::CHAR, 0, T(&s.cld[1].cover)},
    {"cld_hgt_3.ft", "CLD_HGT_3", "feet", "cloud base of layer 3", F::FLOAT, 0, R(s.cld[2].height)},
    {"cld_cov_3", "CLD_COV_3", "", "WMO table 2700", F::CHAR, 0, T(&s.cld[2].cover)},
    {"cld_hgt_4.ft", "CLD_HGT_4", "feet", "cloud base of layer 4", F::FLOAT, 0, R(s.cld[3].height)},
    {"cld_cov_4", "CLD_COV_4", "", "WMO table 2700", F::CHAR, 0, T(&s.cld[3].cover)},
    {"cld_hgt_5.ft", "CLD_HGT_5", "feet", "cloud base of layer 5", F::FLOAT, 0, R(s.cld[4].height)},
    {"cld_cov_5", "CLD_COV_5", "", "WMO table 2700", F::CHAR, 0, T(&s.cld[4].cover)},
    {"wx", "WX", "", "WMO table 4677", F::TEXT, SfcData::WX_SIZE, T(s.wx)},
    {"ptend_type", "PTEND_TYPE", "", "WMO table 0200", F::INT, 0, I(s.ptend_type)},
    {"ptend.mb", "PTEND", "hPa", "3-hour pressure tendency", F::FLOAT, 0, R(s.ptend)},
    {"prec1.mm", "PRECIP", "mm", "1-hour precipitation", F::FLOAT, 0, R(s.prec[0])},
    {"prec3.mm", "PRECIP3", "mm", "3-hour precipitation", F::FLOAT, 0, R(s.prec[1])},
    {"prec6.mm", "PRECIP6", "mm", "6-hour precipitation", F::FLOAT, 0, R(s.prec[2])},
    {"prec12.mm", "PRECIP12", "mm", "12-hour precipitation", F::FLOAT, 0, R(s.prec[3])},
    {"prec24.mm", "PRECIP24", "mm", "24-hour precipitation", F::FLOAT, 0, R(s.prec[4])},
    {"spare", "spare", "", "spare value", F::FLOAT, 0, R(s.spare)},
    {"spare_int", "spare_int", "", "spare number", F::INT, 0, I(s.spare_int)},
    {"nlcld", "NLCLD", "", "WMO table 2700", F::CHAR, 0, nullptr, nullptr, nullptr, nullptr},
    {"lcld", "LCLD", "", "WMO tables 0509, 0513, 0515", F::CHAR, 0, T(&s.cld_type[0])},
    {"mcld", "MCLD", "", "WMO tables 0509, 0513, 0515", F::CHAR, 0, T(&s.cld_type[1])},
    {"hcld", "HCLD", "", "WMO tables 0509, 0513, 0515", F::CHAR, 0, T(&s.cld_type[2])},
    {"maxt.C", "Tmax", "degC", "maximum temperature", F::FLOAT, 0, R(s.maxt)},
    {"mint.C", "Tmin", "degC", "minimum temperature", F::FLOAT, 0, R(s.mint)},
    {"maxt6.C", "Tmax6", "degC", "6-hour maximum temperature", F::FLOAT, 0, R(s.maxt6)},
    {"mint6.C", "Tmin6", "degC", "6-hour minimum temperature", F::FLOAT, 0, R(s.mint6)},
    {"snow_cov.cm", "SNOW", "cm", "snow depth", F::FLOAT, 0, R(s.snow)},
    {"solar.min", "SUN", "minutes", "sunshine", F::FLOAT, 0, R(s.sun)},
    {"sst.C", "SST", "degC", "sea surface temperature", F::FLOAT, 0, R(s.sst)},
    {"wav_per.sec", "WAVE_PER", "s", "wave period", F::FLOAT, 0, R(s.wave_per)},
    {"wav_hgt.m", "WAVE_HGT", "m", "wave height", F::FLOAT, 0, R(s.wave_hgt)},
    {"comment", "COMMENT", "", "remarks", F::TEXT, SfcData::COMMENT_SIZE, T(s.comment)},
};

#undef R
#undef I
#undef L
#undef T

constexpr int COUNT = sizeof FIELDS / sizeof FIELDS[0];

bool isLowAmount(const Field& f) { return f.kind == F::CHAR && !f.text; }

// The low cloud amount is the one character field held in an int.
int charOf(const Field& f, const SfcData& s)
{
  return isLowAmount(f) ? s.low_amount : *f.text(const_cast<SfcData&>(s));
}

template <class T>
bool parse(std::string_view text, T& v)
{
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace

const Field* fields() { return FIELDS; }
int fieldCount() { return COUNT; }

const Field* findField(std::string_view name)
{
  for (const Field& f : FIELDS)
    if (name == f.name) return &f;
  return nullptr;
}

void appendFloat(std::string& out, float v)
{
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

bool getField(const Field& f, const SfcData& in, std::string& out)
{
  SfcData& s = const_cast<SfcData&>(in);
  switch (f.kind) {
    case F::FLOAT: {
      float v = f.real(s);
      if (v == Const::FMISS) return false;
      appendFloat(out, v);
      return true;
    }
    case F::INT:
    case F::LONG: {
      long v = f.kind == F::INT ? f.whole(s) : f.wide(s);
      if (v == Const::MISS) return false;
      out += std::to_string(v);
      return true;
    }
    case F::CHAR: {
      int c = charOf(f, s);
      if (c == ' ' || c <= 0 || c > 126) return false;
      out += static_cast<char>(c);
      return true;
    }
    case F::TEXT:
      if (!f.text(s)[0]) return false;
      out += f.text(s);
      return true;
    case F::DATE:
      if (!s.date.isSet()) return false;
      out += std::to_string(s.date.getSeconds());
      return true;
  }
  return false;
}

bool setField(const Field& f, SfcData& s, std::string_view text)
{
  switch (f.kind) {
    case F::FLOAT: {
      float v;
      if (!parse(text, v)) return false;
      f.real(s) = v;
      return true;
    }
    case F::INT: {
      int v;
      if (!parse(text, v)) return false;
      f.whole(s) = v;
      return true;
    }
    case F::LONG: {
      long v;
      if (!parse(text, v)) return false;
      f.wide(s) = v;
      return true;
    }
    case F::CHAR:
      if (text.size() != 1) return false;
      if (isLowAmount(f))
        s.low_amount = text[0];
      else
        *f.text(s) = text[0];
      return true;
    case F::TEXT: {
      std::string copy(text.substr(0, f.size - 1));
      StrLib::copy(f.text(s), f.size, copy.c_str());
      return true;
    }
    case F::DATE: {
      long v;
      if (!parse(text, v)) return false;
      s.date.set(v);
      return true;
    }
  }
  return false;
}

void finishRecord(SfcData& s)
{
  if (s.ncld < 0) s.ncld = 0;
  if (s.ncld > SfcData::MAX_CLD) s.ncld = SfcData::MAX_CLD;
}

}  // namespace KOL::sfc
