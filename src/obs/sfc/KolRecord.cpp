#include "obs/sfc/KolRecord.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/Const.h"
#include "core/Date.h"
#include "core/StrLib.h"
#include "obs/SfcData.h"

namespace KOL::sfc {

namespace {

constexpr float FMISS = Const::FMISS;
constexpr double MM_PER_HUNDREDTH = 25.4 / 100;
constexpr double HUNDREDTHS_PER_MM = 0.03937 * 100;
constexpr double CM_PER_INCH = 2.54;
constexpr double INCH_PER_CM = 0.3937;
constexpr int MOVING_WMO = 99999;

bool miss(float v) { return v == FMISS; }
double toF(float c) { return c * 9.0 / 5.0 + 32.0; }
float toC(double f) { return static_cast<float>((f - 32.0) * 5.0 / 9.0); }

// |v| x 10^decimals rounded as printf rounds: to nearest, a true tie to even. Near a tie the
// scaling is redone in long double, where it is exact.
long scaledRound(double v, long power)
{
  double x = std::fabs(v) * static_cast<double>(power);
  long t = static_cast<long>(x);
  double f = x - static_cast<double>(t);
  if (std::fabs(f - 0.5) < 1e-6) {
    long double exact = std::fabs(static_cast<long double>(v)) * power;
    t = static_cast<long>(exact);
    long double g = exact - t;
    return g > 0.5L || (g == 0.5L && (t & 1)) ? t + 1 : t;
  }
  return f > 0.5 ? t + 1 : t;
}

// printf's "%W.Pf" (P up to 3): right-aligned in W places. Done on integers: the general
// conversion is most of the cost of writing a file.
void fixed(std::string& out, double v, int decimals, int width = 1)
{
  static const long POWERS[] = {1, 10, 100, 1000};
  char buf[64];
  int n = 0;
  if (decimals <= 3 && std::fabs(v) < 1e12) {
    long whole = scaledRound(v, POWERS[decimals]);
    char digits[24];
    int k = 0;
    for (int i = 0; i < decimals || whole || k <= decimals; ++i, whole /= 10) {
      if (i == decimals && decimals) digits[k++] = '.';
      digits[k++] = static_cast<char>('0' + whole % 10);
    }
    if (std::signbit(v)) buf[n++] = '-';
    while (k) buf[n++] = digits[--k];
  } else {
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    n = static_cast<int>(r.ptr - buf);
  }
  for (int i = n; i < width; ++i) out += ' ';
  out.append(buf, n);
}

void integer(std::string& out, long v, int width, char pad)
{
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v);
  int n = static_cast<int>(r.ptr - buf) + (v < 0);
  if (v < 0 && pad == '0') out += '-';
  for (int i = n; i < width; ++i) out += pad;
  if (v < 0 && pad != '0') out += '-';
  out.append(buf, r.ptr);
}

void temperature(std::string& out, float c)
{
  if (miss(c))
    out += "-99 ";
  else {
    fixed(out, toF(c) * 10, 0, 3);
    out += ' ';
  }
}

void wind(std::string& out, const SfcData& s)
{
  if (miss(s.wdir) || miss(s.wspd) || s.wdir < 0 || s.wspd < 0) {
    out += "-999 ";
    return;
  }
  long speed = std::lround(s.wspd);
  long dir = static_cast<long>(s.wdir);
  if (speed < 100) {
    integer(out, dir / 10 * 100 + speed, 4, '0');
  } else {
    integer(out, dir / 5 * 5, 3, '0');
    integer(out, speed, 3, '0');
  }
  out += ' ';
}

void altimeter(std::string& out, float alt)
{
  if (miss(alt) || alt < 0) {
    out += "-99 ";
    return;
  }
  integer(out, static_cast<long>(alt * 100.0 + 0.01) % 1000, 3, ' ');
  out += ' ';
}

void pressure(std::string& out, float slp)
{
  if (miss(slp) || slp < 0) {
    out += "-99 ";
    return;
  }
  long v = static_cast<long>(slp * 10.0 + 0.1);
  if (slp >= 950 && slp <= 1050) v %= 1000;
  integer(out, v, 3, ' ');
  out += ' ';
}

void clouds(std::string& out, const SfcData& s)
{
  if (s.ncld <= 0) {
    out += "-99M ";
    return;
  }
  for (int i = 0; i < s.ncld && i < SfcData::MAX_CLD; ++i) {
    if (i) out += ',';
    float h = s.cld[i].height;
    if (miss(h))
      out += "-99";
    else
      fixed(out, h / 100.0, 0);
    char c = s.cld[i].cover;
    if (c == ' ' || !c)
      out += 'M';
    else if (StrLib::isDigit(c))
      (out += ':') += c;
    else
      out += c;
  }
  out += ' ';
}

// " Lv" groups: a letter and a value, written when the value is known.
void group(std::string& out, char letter, double v, int decimals)
{
  out += ' ';
  out += letter;
  fixed(out, v, decimals, 2);
}

void amount(std::string& out, char letter, float mm)
{
  if (!miss(mm)) group(out, letter, mm * HUNDREDTHS_PER_MM, 0);
}

void extreme(std::string& out, char letter, float c)
{
  if (!miss(c)) group(out, letter, toF(c), 1);
}

void optional(std::string& out, const SfcData& s)
{
  if (s.date.isSet()) {
    out += " @";
    integer(out, s.date.getHour(), 2, '0');
    integer(out, s.date.getMinute(), 2, '0');
  }
  if (!miss(s.lat) && !miss(s.lon)) {
    out += " L";
    fixed(out, s.lat * 10.0, 0);
    out += ',';
    fixed(out, s.lon * 10.0, 0);
  }
  if (!miss(s.ptend) && s.ptend_type >= 0 && s.ptend_type <= 9) {
    out += " P";
    integer(out, s.ptend_type, 1, ' ');
    fixed(out, s.ptend * 10.0, 0, 3);
  }
  amount(out, 'p', s.prec[SfcData::PREC1]);
  amount(out, 'Q', s.prec[SfcData::PREC3]);
  amount(out, 'r', s.prec[SfcData::PREC6]);
  amount(out, 'q', s.prec[SfcData::PREC12]);
  amount(out, 'R', s.prec[SfcData::PREC24]);
  extreme(out, 'X', s.maxt);
  extreme(out, 'x', s.maxt6);
  extreme(out, 'N', s.mint);
  extreme(out, 'n', s.mint6);
  if (!miss(s.snow)) group(out, 'S', s.snow * INCH_PER_CM, 1);
  if (s.cld_type[0] != ' ') {
    out += " C";
    out.append(s.cld_type, SfcData::MAX_CLD_TYPE);
  }
  if (!miss(s.gust)) group(out, 'G', s.gust, 0);
  if (!miss(s.sun)) group(out, 's', s.sun, 0);
  if (!miss(s.sst)) group(out, 't', s.sst, 1);
  if (!miss(s.wave_hgt)) group(out, 'h', s.wave_hgt, 1);
  if (!miss(s.elev)) {
    out += " e";
    fixed(out, s.elev, 0);
  }
  if (s.comment[0]) {
    out += " #";
    for (const char* c = s.comment; *c; ++c)
      out += static_cast<unsigned char>(*c) < ' ' || *c == '$' ? ' ' : *c;
  }
}

// ---- Reading

// Blank-separated words of a line.
class Words {
  static bool gap(char c) { return c == ' ' || c == '\t' || c == '\r'; }

 public:
  explicit Words(std::string_view line) : rest_(line) {}
  std::string_view next()
  {
    const char* p = rest_.data();
    const char* end = p + rest_.size();
    while (p < end && gap(*p)) ++p;
    const char* start = p;
    while (p < end && !gap(*p)) ++p;
    rest_ = std::string_view(p, end - p);
    return std::string_view(start, p - start);
  }
  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// The fields are short decimal numbers: whole digits and tenths or hundredths, read here
// without the general conversion (the quotient of two exact integers is the same correctly
// rounded double); anything longer or odder goes through from_chars.
bool number(std::string_view w, double& v)
{
  if (!w.empty() && w[0] == '+') w.remove_prefix(1);
  size_t i = !w.empty() && w[0] == '-';
  long whole = 0, scale = 1;
  bool dot = false, digits = false;
  for (; i < w.size() && i < 15; ++i) {
    char c = w[i];
    if (c >= '0' && c <= '9') {
      whole = whole * 10 + (c - '0');
      digits = true;
      if (dot) scale *= 10;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  if (digits && i == w.size()) {
    v = static_cast<double>(whole) / static_cast<double>(scale);
    if (w[0] == '-') v = -v;
    return true;
  }
  auto r = std::from_chars(w.data(), w.data() + w.size(), v);
  return r.ec == std::errc();
}

double numberOr(std::string_view w, double fallback)
{
  double v;
  return number(w, v) ? v : fallback;
}

float readTemperature(std::string_view w)
{
  double v;
  if (!number(w, v) || v == -99) return FMISS;
  return toC(v / 10.0);
}

void readWind(std::string_view w, SfcData& s)
{
  double d;
  // dddff or dddfff: anything beyond six digits is no wind group.
  if (!number(w, d) || d < 0 || d > 999999) return;
  long v = static_cast<long>(d);
  if (v > 4999) {
    s.wdir = static_cast<float>(v / 1000);
    s.wspd = static_cast<float>(v % 1000);
  } else {
    s.wdir = static_cast<float>(v / 100 * 10);
    s.wspd = static_cast<float>(v % 100);
  }
}

float readAltimeter(std::string_view w)
{
  double v;
  if (!number(w, v) || v < 0) return FMISS;
  if (v > 500) return static_cast<float>(v < 1000 ? v / 100 + 20 : v / 100);
  return static_cast<float>(v / 100 + 30);
}

float readPressure(double v, const SfcData& s)
{
  if (v < 0) return FMISS;
  if (v <= 500) return static_cast<float>(v / 10 + (!miss(s.alt) && s.alt < 28.4f ? 900 : 1000));
  if (v < 1000) {
    bool high = !miss(s.alt) ? s.alt > 30.7f : !miss(s.temp) && s.temp < -10;
    return static_cast<float>(v / 10 + (high ? 1000 : 900));
  }
  return static_cast<float>(v / 10);
}

// A leading whole number (with its sign) of a text: the characters it took, 0 for none.
size_t leadingNumber(std::string_view w, double& v)
{
  size_t i = !w.empty() && w[0] == '-';
  long n = 0;
  size_t start = i;
  for (; i < w.size() && i < 12 && w[i] >= '0' && w[i] <= '9'; ++i) n = n * 10 + (w[i] - '0');
  if (i == start) return 0;
  v = static_cast<double>(w[0] == '-' ? -n : n);
  return i;
}

void readClouds(std::string_view w, SfcData& s)
{
  int i = 0;
  while (!w.empty() && i < SfcData::MAX_CLD) {
    size_t comma = w.find(',');
    std::string_view part = w.substr(0, comma);
    w.remove_prefix(comma == std::string_view::npos ? w.size() : comma + 1);
    double h = 0;
    size_t used = leadingNumber(part, h);
    char cover = used < part.size() ? part[used] : 'M';
    if (cover == ':' && used + 1 < part.size()) cover = part[used + 1];
    if (cover == 'M') {
      if (i == 0) return;
      cover = ' ';
    }
    s.setCldCover(i, cover);
    s.setCldHeight(i, used && h >= 0 ? static_cast<float>(h * 100) : FMISS);
    ++i;
  }
}

// Copies a word into a text field of the record, cut to its size.
void copyWord(std::string_view w, char* field, size_t size)
{
  size_t n = std::min(w.size(), size - 1);
  std::memcpy(field, w.data(), n);
  field[n] = '\0';
}

// The report time nearest the file's date: the hour within twelve hours of the file's hour
// (as Date::adjustMinute), worked out on the second count alone.
void readTime(std::string_view w, const Date& fileDate, Date* recent, SfcData& s)
{
  double v;
  if (w.size() != 4 || !number(w, v) || !fileDate.isSet() || fileDate.getHour() < 0) return;
  int hhmm = static_cast<int>(v);
  int h = hhmm / 100, m = hhmm % 100;
  if (h > 23 || m > 59) return;
  int minute = fileDate.getMinute() < 0 ? 0 : fileDate.getMinute();
  int diff = h - fileDate.getHour();
  long secs = fileDate.getSeconds() + diff * 3600L + (m - minute) * 60L;
  if (diff > 12) secs -= 86400;
  if (diff < -12) secs += 86400;
  if (secs == s.date.getSeconds()) return;
  // Reports of one file share a few times: the last one made is kept.
  if (recent && recent->getSeconds() == secs) {
    s.date = *recent;
    return;
  }
  s.date.set(secs);
  if (recent) *recent = s.date;
}

void readLocation(std::string_view w, SfcData& s)
{
  size_t comma = w.find(',');
  double lat, lon;
  if (comma == std::string_view::npos || !number(w.substr(0, comma), lat) ||
      !number(w.substr(comma + 1), lon))
    return;
  s.lat = static_cast<float>(lat / 10);
  s.lon = static_cast<float>(lon / 10);
  s.setPlatform("SHIP");
  s.elev = 0;
}

// The comment runs from after "#" to the "$" that closes the record; the blank before that
// "$" separates, blanks of the comment itself stay.
void readComment(std::string_view first, std::string_view rest, SfcData& s)
{
  const char* start = first.data();
  const char* end = rest.data() + rest.size();
  const char* dollar = static_cast<const char*>(std::memchr(start, '$', end - start));
  if (dollar) {
    end = dollar;
    if (end > start && end[-1] == ' ') --end;
  } else {
    while (end > start && StrLib::isSpace(end[-1])) --end;
  }
  copyWord(std::string_view(start, end - start), s.comment, sizeof s.comment);
}

// "P" with the tendency type and tenths of hPa, which may stand in the next word.
void readTendency(std::string_view v, Words& words, SfcData& s)
{
  if (v.empty() || !StrLib::isDigit(v[0])) return;
  std::string_view amount = v.size() > 1 ? v.substr(1) : words.next();
  double tenths;
  if (!number(amount, tenths)) return;
  s.ptend_type = v[0] - '0';
  s.ptend = static_cast<float>(tenths / 10);
}

// The letter groups after the fixed fields; false at the end of the record.
bool readGroup(std::string_view w, Words& words, const Date& fileDate, Date* recent, SfcData& s)
{
  char letter = w[0];
  std::string_view v = w.substr(1);
  // "%2.0f" and its kin leave a blank between a letter and a short value ("r 0", "P8 -6").
  if (letter == 'P') {
    readTendency(v, words, s);
    return true;
  }
  if (v.empty() && letter != '#') v = words.next();
  auto f = [&](double fallback = FMISS) { return numberOr(v, fallback); };
  auto mm = [&]() { return miss(f()) ? FMISS : static_cast<float>(f() * MM_PER_HUNDREDTH); };
  auto celsius = [&]() { return miss(f()) ? FMISS : toC(f()); };
  switch (letter) {
    case '@':
      readTime(v, fileDate, recent, s);
      break;
    case 'L':
      readLocation(v, s);
      break;
    case 'p':
      s.prec[SfcData::PREC1] = mm();
      break;
    case 'Q':
      s.prec[SfcData::PREC3] = mm();
      break;
    case 'r':
      s.prec[SfcData::PREC6] = mm();
      break;
    case 'q':
      s.prec[SfcData::PREC12] = mm();
      break;
    case 'R':
      s.prec[SfcData::PREC24] = mm();
      break;
    case 'X':
      s.maxt = celsius();
      break;
    case 'x':
      s.maxt6 = celsius();
      break;
    case 'N':
      s.mint = celsius();
      break;
    case 'n':
      s.mint6 = celsius();
      break;
    case 'T': {
      int hour = fileDate.isSet() ? fileDate.getHour() : 0;
      (hour >= 10 && hour <= 21 ? s.mint : s.maxt) = celsius();
      break;
    }
    case 'S':
      s.snow = miss(f()) ? FMISS : static_cast<float>(f() * CM_PER_INCH);
      break;
    case 'C':
      for (int i = 0; i < SfcData::MAX_CLD_TYPE && i < static_cast<int>(v.size()); ++i)
        s.setCldType(i, v[i]);
      break;
    case 'G':
      s.gust = static_cast<float>(f());
      break;
    case 's':
      s.sun = static_cast<float>(f());
      break;
    case 't':
      s.sst = static_cast<float>(f());
      break;
    case 'h':
      s.wave_hgt = static_cast<float>(f());
      break;
    case 'e':
      s.elev = static_cast<float>(f());
      break;
    case '#':
      readComment(v, words.rest(), s);
      return false;
    default:
      return false;
  }
  return true;
}

}  // namespace

void writeRecord(const SfcData& s, std::string& out)
{
  out += s.id;
  out += ' ';
  temperature(out, s.temp);
  temperature(out, s.dewp);
  wind(out, s);
  altimeter(out, s.alt);
  pressure(out, s.slp);
  if (miss(s.vis) || s.vis < 0)
    out += "-99 ";
  else {
    fixed(out, s.vis, s.vis < 5 ? 2 : 1);
    out += ' ';
  }
  clouds(out, s);
  out += s.wx[0] ? s.wx : "-";
  optional(out, s);
  out += " $\n";
}

bool readRecord(std::string_view line, const Date& fileDate, SfcData& s, Date* recent)
{
  s.init();
  Words words(line);
  std::string_view id = words.next();
  if (id.empty()) return false;
  copyWord(id, s.id, sizeof s.id);
  if (std::strlen(s.id) > 4)
    s.wmo = StrLib::isNum(s.id) ? std::strtol(s.id, nullptr, 10) : MOVING_WMO;
  s.date = fileDate;
  s.temp = readTemperature(words.next());
  s.dewp = readTemperature(words.next());
  readWind(words.next(), s);
  s.alt = readAltimeter(words.next());
  double slp = numberOr(words.next(), -1);
  double vis;
  if (number(words.next(), vis) && vis >= 0) s.vis = static_cast<float>(vis);
  readClouds(words.next(), s);
  std::string_view wx = words.next();
  if (!wx.empty() && wx[0] != '-') copyWord(wx, s.wx, sizeof s.wx);
  for (std::string_view w = words.next(); !w.empty() && readGroup(w, words, fileDate, recent, s);
       w = words.next()) {
  }
  s.slp = readPressure(slp, s);
  return true;
}

}  // namespace KOL::sfc
