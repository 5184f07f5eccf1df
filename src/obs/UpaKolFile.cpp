#include "obs/UpaKolFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/String.h"
#include "obs/UpaRawinData.h"
#include "obs/upa/Groups.h"
#include "obs/upa/Track.h"

namespace KOL {

namespace {

constexpr float NONE = Const::FMISS;
constexpr int LAST_ROW_INDEX[] = {2, 6, 10, 14};  // a line break follows these levels
constexpr int V3_LAST_ROW_INDEX[] = {4, 7, 10};
constexpr int PER_LINE = 7;
constexpr int V3_SIG = 21, V3_WND = 28;

bool missing(std::string_view g) { return g == "X" || g == "99999"; }

std::string groupOr(const std::string& g) { return g == "99999" ? "X" : g; }

template <size_t N>
bool breaksAfter(const int (&rows)[N], int index)
{
  for (int r : rows)
    if (r == index) return true;
  return false;
}

// The mandatory level of a pressure (a surface at that pressure too), not a tropopause or
// maximum wind that happens to have it.
const UpaLevel* standardLevel(const UpaRawinData& r, float p)
{
  for (int i = 0; i < r.getNumMan(); ++i) {
    const UpaLevel* l = r.getMan(i);
    if ((l->type & UpaLevel::MANDATORY) && l->validPres() && std::fabs(l->pres - p) < 0.01f)
      return l;
  }
  return nullptr;
}

void appendLevel(std::string& out, const UpaLevel* l)
{
  if (!l) {
    out += "X X X";
    return;
  }
  out += groupOr(UpaKolFile::encodePH(l->pres, l->hght)) + ' ' +
         groupOr(UpaKolFile::encodeTD(l->temp, l->dewp)) + ' ' +
         groupOr(UpaKolFile::encodeWD(l->dir, l->spd));
}

std::string sigPressure(float p)
{
  char buf[32];
  if (p >= 1000)
    std::snprintf(buf, sizeof buf, "%3.3d ", static_cast<int>(p) % 1000);
  else if (p >= 10 && p == std::floor(p))
    std::snprintf(buf, sizeof buf, "%3d ", static_cast<int>(p));
  else
    std::snprintf(buf, sizeof buf, "%3.1f ", p);
  return buf;
}

// Entries separated by blanks, a line break after every seventh.
void separate(std::string& out, int written) { out += written % PER_LINE == 0 ? '\n' : ' '; }

// A pressure with its tenth: the word of the special levels and of winds given by pressure, told
// from a height in thousands of feet and from a PPhhh group by its point.
std::string exactPressure(float p)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", p);
  return buf;
}

bool isExactPressure(std::string_view w) { return w.find('.') != std::string_view::npos; }

float readExactPressure(std::string_view w)
{
  std::string text(w);
  char* end = nullptr;
  float p = std::strtof(text.c_str(), &end);
  return end && *end == '\0' && p > 0 && p < 2000 ? p : NONE;
}

// Levels of the mandatory list that have no slot of their own in a record (a second tropopause
// or maximum wind, a level whose pressure no standard slot takes): their temperatures go with
// the significant levels and their winds with the winds given by pressure.
std::vector<const UpaLevel*> looseLevels(const UpaRawinData& r, int version)
{
  std::vector<const UpaLevel*> out;
  for (int i = 0; i < r.getNumMan(); ++i) {
    const UpaLevel* l = r.getMan(i);
    if (!l->validPres() || i == r.getSfc() || i == r.getTrop() || i == r.getMaxWnd()) continue;
    bool slot = standardLevel(r, l->pres) == l && !(version == 3 && l->pres == 925);
    if (!slot) out.push_back(l);
  }
  return out;
}

bool morePres(const UpaLevel& a, const UpaLevel& b) { return a.pres > b.pres; }

// Adds l to a list of levels ordered later, or fills the one at its pressure: what comes first
// wins, as in the merge of a record.
void join(std::vector<UpaLevel>& list, const UpaLevel& l)
{
  for (UpaLevel& k : list)
    if (std::fabs(k.pres - l.pres) < 0.05f) {
      k.update(l);
      return;
    }
  list.push_back(l);
}

// Whether the standard level at p already gives every temperature value of l.
bool coveredByStandard(const UpaRawinData& r, const UpaLevel& l)
{
  const UpaLevel* m = standardLevel(r, l.pres);
  return m && (!l.validTemp() || m->validTemp()) && (!l.validDewp() || m->validDewp());
}

void appendSignificant(std::string& out, const UpaRawinData& r, int version)
{
  std::vector<UpaLevel> list;
  const UpaLevel* sfc = r.getMan(r.getSfc());
  if (r.getNumSig() == 0 && sfc) list.push_back(*sfc);
  for (const UpaLevel* l : looseLevels(r, version))
    if (l->validTemp()) join(list, *l);
  for (int i = 0; i < r.getNumSig(); ++i)
    if (r.getSig(i)->validPres()) join(list, *r.getSig(i));
  std::stable_sort(list.begin(), list.end(), morePres);
  int written = 0;
  for (const UpaLevel& l : list) {
    // The first is the surface; the standard levels hold the others at their pressures.
    if (written && UpaLevel::isMandatory(l.pres) && coveredByStandard(r, l)) continue;
    if (written) separate(out, written);
    out += sigPressure(l.pres) + UpaKolFile::encodeTD(l.temp, l.dewp);
    ++written;
  }
  for (; version == 3 && written < V3_SIG; ++written) {
    if (written) separate(out, written);
    out += "X";
  }
  out += written ? " X\n" : "X\n";
}

// Winds given by pressure (the 21212 sections, and loose levels), without the surface's.
std::vector<UpaLevel> pressureWinds(const UpaRawinData& r, const UpaLevel* sfc, int version)
{
  std::vector<UpaLevel> list;
  for (const UpaLevel* l : looseLevels(r, version))
    if (l->validWind()) join(list, *l);
  for (int i = 0; i < r.getNumWnd(); ++i) {
    const UpaLevel* l = r.getWnd(i);
    if (!l->validHght() && l->validPres() && l->validWind()) join(list, *l);
  }
  if (sfc) {
    auto at = std::find_if(list.begin(), list.end(), [&](const UpaLevel& l) {
      return std::fabs(l.pres - sfc->pres) < 0.05f;
    });
    if (at != list.end()) list.erase(at);
  }
  std::stable_sort(list.begin(), list.end(), morePres);
  return list;
}

void appendWinds(std::string& out, const UpaRawinData& r, int version)
{
  // The surface wind, reported with the surface pressure, goes first at height 0.
  std::vector<std::pair<std::string, const UpaLevel*>> list;
  const UpaLevel* sfc = r.getMan(r.getSfc());
  bool sfcWind = false;
  for (int i = 0; i < r.getNumWnd() && sfc && !sfcWind; ++i) {
    const UpaLevel* l = r.getWnd(i);
    if (!l->validHght() && l->validPres() && std::fabs(l->pres - sfc->pres) < 0.05f) {
      list.emplace_back("00", l);
      sfcWind = true;
    }
  }
  if (!sfcWind && sfc && (r.getNumWnd() == 0 || sfc->validWind())) list.emplace_back("00", sfc);
  // Version 3 has no place for winds given by pressure.
  const std::vector<UpaLevel> byPressure =
      version == 3 ? std::vector<UpaLevel>() : pressureWinds(r, sfc, version);
  for (const UpaLevel& l : byPressure) list.emplace_back(exactPressure(l.pres), &l);
  for (int i = 0; i < r.getNumWnd(); ++i) {
    const UpaLevel* l = r.getWnd(i);
    if (!l->validHght()) continue;
    char kft[16];
    int h = l->hght >= 0 && l->hght < 100000 ? static_cast<int>((l->hght + 1) / 1000) : 0;
    std::snprintf(kft, sizeof kft, "%02d", h);
    list.emplace_back(kft, l);
  }
  int written = 0;
  for (const auto& [word, l] : list) {
    if (written) separate(out, written);
    out += word + ' ' + UpaKolFile::encodeWD(l->dir, l->spd);
    ++written;
  }
  for (; version == 3 && written < V3_WND; ++written) {
    if (written) separate(out, written);
    out += "X";
  }
  if (version == 3) {
    out += "\n";
    return;
  }
  if (version >= 5) upa::appendTrack(out, r);
  out += out.back() == '\n' ? "$\n" : " $\n";
}

// The tropopause (PPhhh TTTDD dddff) and maximum wind (PPhhh dddff), with the pressure written
// as the report gives it; their heights are left to the merge.
void appendSpecial(std::string& out, const UpaRawinData& r, int version)
{
  const UpaLevel* trop = r.getMan(r.getTrop());
  const UpaLevel* max = r.getMan(r.getMaxWnd());
  auto pressure = [version](const UpaLevel& l) {
    return version >= 5 ? exactPressure(l.pres) : groupOr(UpaKolFile::encodePH(l.pres, l.hght));
  };
  if (trop)
    out += pressure(*trop) + ' ' + groupOr(UpaKolFile::encodeTD(trop->temp, trop->dewp)) + ' ' +
           groupOr(UpaKolFile::encodeWD(trop->dir, trop->spd)) + ' ';
  else
    out += "X X X ";
  if (max)
    out += pressure(*max) + ' ' + groupOr(UpaKolFile::encodeWD(max->dir, max->spd)) + '\n';
  else
    out += "X X\n";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Groups.

std::string UpaKolFile::encodePH(float p, float h)
{
  // What no group can hold is missing.
  if (!(p > 0 && p < 2000)) p = NONE;
  if (!(h > -100000 && h < 100000)) h = NONE;
  if (p == NONE && h == NONE) return "99999";
  char buf[16];
  if (p == NONE)
    std::snprintf(buf, sizeof buf, "99");
  else if (p < 10)
    std::snprintf(buf, sizeof buf, "-%d", static_cast<int>(p) % 10);
  else
    std::snprintf(buf, sizeof buf, "%02d", (static_cast<int>(p + 0.5f) % 1000) / 10);
  std::string out = buf;
  if (h == NONE) return out + "/";
  long m = std::lround(h < 0 ? 500 - h : h);
  long part = p != NONE && p > 500 ? m % 1000 : (m % 10000) / 10;
  std::snprintf(buf, sizeof buf, "%03ld", part);
  return out + buf;
}

int UpaKolFile::decodePH(std::string_view g, float& p, float& h)
{
  p = h = NONE;
  if (missing(g) || g.size() < 2) return 0;
  int pp;
  if (g[0] == '-') {
    pp = upa::field(g, 1, 1);
    if (pp < 0) return 0;
    p = static_cast<float>(pp);
  } else {
    pp = upa::field(g, 0, 2);
    if (pp < 0 || pp == 99) return 0;
    p = pp == 0 ? 1000.0f : pp == 92 ? 925.0f : pp * 10.0f;
  }
  int hhh = g.size() >= 5 ? upa::field(g, 2, 3) : upa::SLASH;
  h = upa::expandHeight(p, hhh);
  return 1;
}

std::string UpaKolFile::encodeTD(float t, float td)
{
  if (!(std::fabs(t) < 99.85f)) return "99999";
  int ttt = static_cast<int>((std::fabs(t) + 0.01f) * 10);
  if (t >= 0 && ttt % 2) --ttt;
  if (t < 0 && ttt % 2 == 0) ++ttt;
  if (ttt > 998) return "99999";
  int dd = 99;
  if (td != NONE && td <= t && t - td < 100) {
    int tenths = static_cast<int>((t - td + 0.01f) * 10);
    dd = tenths <= 50 ? tenths : tenths < 60 ? 50 : tenths / 10 + 50;
    // 99 is the file's missing dew point: the driest the file holds is 48 C.
    if (dd > 98) dd = t - td < 50 ? 98 : 99;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03d%02d", ttt, dd);
  return buf;
}

int UpaKolFile::decodeTD(std::string_view g, float& t, float& td)
{
  t = td = NONE;
  if (g == "X" || !upa::isGroup(g)) return 0;
  int dd = upa::field(g, 3, 2);
  upa::decodeTemp(upa::field(g, 0, 3), dd == 99 ? upa::SLASH : dd, t, td);
  return t != NONE;
}

std::string UpaKolFile::encodeWD(float dir, float spd)
{
  if (!(dir >= 0 && dir <= 360 && spd >= 0 && spd < 500)) return "99999";
  int d = static_cast<int>((dir + 2.5f) / 5) * 5;
  int s = static_cast<int>(spd + 0.01f);
  if (s >= 500) return "99999";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d%02d", d + s / 100, s % 100);
  return buf;
}

int UpaKolFile::decodeWD(std::string_view g, float& dir, float& spd)
{
  dir = spd = NONE;
  if (g == "X" || !upa::isGroup(g)) return 0;
  upa::decodeWind(upa::field(g, 0, 3), upa::field(g, 3, 2), 250, dir, spd);
  return dir != NONE;
}

// ---------------------------------------------------------------------------------------------
// Records.

std::string UpaKolFile::formatRecord(const UpaRawinData& r, int version)
{
  std::string out;
  char head[64];
  if (version >= 5) {
    std::snprintf(head, sizeof head, "%5s:%s", r.getWmo(), r.getId());
    out = head;
    if (r.getLat() != NONE) {
      std::snprintf(head, sizeof head, ":%.2f:%.2f", r.getLat(), r.getLon());
      out += head;
    }
  } else {
    out = r.getId();
  }
  out += ' ';
  const int last = 14;
  for (int i = 0; i <= last; ++i) {
    float p = UpaLevel::getMandatoryPres(i);
    if (version == 3 && p == 925) continue;
    appendLevel(out, standardLevel(r, p));
    bool brk = version == 3 ? breaksAfter(V3_LAST_ROW_INDEX, i) : breaksAfter(LAST_ROW_INDEX, i);
    out += brk ? '\n' : ' ';
  }
  for (int i = last + 1; i < UpaLevel::NUM_MANDATORY; ++i) {
    const UpaLevel* l = standardLevel(r, UpaLevel::getMandatoryPres(i));
    if (!l) continue;
    appendLevel(out, l);
    out += ' ';
  }
  appendSpecial(out, r, version);
  appendSignificant(out, r, version);
  appendWinds(out, r, version);
  return out;
}

namespace {

// Reads the groups of a record in order.
class RecordReader {
 public:
  RecordReader(std::string_view text, int version, UpaRawinData& r)
      : groups_(text), version_(version), r_(r)
  {
  }
  int read();

 private:
  bool readStation();
  void readMandatory();
  bool readTriple(float p, int type);
  static float readPressure(std::string_view w, float& h);
  bool belowReported(float p) const;
  void readSpecial();
  void readSignificant();
  void readWinds();
  void addSurfaceWind(const UpaLevel& l);

  upa::Groups groups_;
  int version_;
  UpaRawinData& r_;
};

bool RecordReader::readStation()
{
  std::string word(groups_.next());
  if (word.empty()) return false;
  if (version_ < 5) return r_.setId(word.c_str()), true;
  char wmo[16] = "", id[32] = "";
  float lat = NONE, lon = NONE;
  int n = std::sscanf(word.c_str(), "%15[^:]:%31[^:]:%f:%f", wmo, id, &lat, &lon);
  if (n < 2) {
    // An empty WMO ident leaves the word starting with ':'.
    n = std::sscanf(word.c_str(), ":%31[^:]:%f:%f", id, &lat, &lon);
    wmo[0] = '\0';
    if (n < 1) return false;
  }
  r_.setId(id, wmo, lat, n >= 4 || (wmo[0] == '\0' && n >= 3) ? lon : NONE);
  if (r_.getLon() == NONE) r_.setLoc(NONE, NONE);
  return true;
}

// PPhhh TTTDD dddff; the pressure is p when the group does not give it.
bool RecordReader::readTriple(float p, int type)
{
  std::string_view ph = groups_.next(), td = groups_.next(), wd = groups_.next();
  if (ph.empty() || td.empty() || wd.empty()) return false;
  if (missing(ph) && missing(td) && missing(wd)) return true;
  UpaLevel l;
  l.type = type;
  float gp = readPressure(ph, l.hght);
  l.pres = p != NONE ? p : gp;
  UpaKolFile::decodeTD(td, l.temp, l.dewp);
  UpaKolFile::decodeWD(wd, l.dir, l.spd);
  if (!l.validPres()) return true;
  // A tropopause at a standard pressure stays a level of its own.
  int i = type == UpaLevel::TROPOPAUSE ? r_.addMan(l) : r_.updateMan(l);
  if (type == UpaLevel::TROPOPAUSE && i >= 0) r_.setTrop(i);
  return true;
}

// The pressure of a PPhhh group (and its height), or of a word written with its tenth.
float RecordReader::readPressure(std::string_view w, float& h)
{
  float p;
  h = NONE;
  if (isExactPressure(w)) return readExactPressure(w);
  UpaKolFile::decodePH(w, p, h);
  return p;
}

void RecordReader::readMandatory()
{
  for (int i = 0; i <= 14; ++i) {
    float p = UpaLevel::getMandatoryPres(i);
    if (version_ == 3 && p == 925) continue;
    readTriple(p, UpaLevel::MANDATORY);
  }
  // Levels above 20 hPa, as far as they are there.
  for (;;) {
    float p, h;
    std::string_view g = groups_.peek();
    if (isExactPressure(g) || !UpaKolFile::decodePH(g, p, h) || p >= 20 ||
        !UpaLevel::isMandatory(p))
      return;
    readTriple(p, UpaLevel::MANDATORY);
  }
}

void RecordReader::readSpecial()
{
  readTriple(NONE, UpaLevel::TROPOPAUSE);
  std::string_view ph = groups_.next(), wd = groups_.next();
  if (missing(ph)) return;
  UpaLevel l;
  l.type = UpaLevel::MAX_WIND;
  l.pres = readPressure(ph, l.hght);
  UpaKolFile::decodeWD(wd, l.dir, l.spd);
  if (!l.validPres()) return;
  int i = r_.addMan(l);
  if (i >= 0) r_.setMaxWnd(i);
}

float sigPressureOf(std::string_view w)
{
  std::string text(w);
  if (text.find('.') != std::string::npos) {
    float p = std::strtof(text.c_str(), nullptr);
    return p > 0 && p < 2000 ? p : NONE;
  }
  int v = upa::field(w, 0, w.size());
  if (v < 0 || v >= 2000) return NONE;
  return w.size() == 3 && w[0] == '0' ? v + 1000.0f : static_cast<float>(v);
}

void RecordReader::readSignificant()
{
  const int limit = version_ == 3 ? V3_SIG : UpaRawinData::MAX_SIG;
  for (int n = 0; n < limit; ++n) {
    std::string_view w = groups_.next();
    if (w.empty() || (w == "X" && version_ != 3) || w == "$") return;
    if (w == "X") continue;
    UpaLevel l;
    l.type = UpaLevel::SIGNIFICANT;
    l.pres = sigPressureOf(w);
    UpaKolFile::decodeTD(groups_.next(), l.temp, l.dewp);
    if (l.pres == NONE) continue;
    // The first is the surface, unless the record cannot start there (a record of parts C
    // and D).
    if (n == 0 && belowReported(l.pres)) {
      UpaLevel sfc = l;
      sfc.type = UpaLevel::MANDATORY | UpaLevel::SURFACE;
      r_.setSfc(r_.updateMan(sfc));
      l.type |= UpaLevel::SURFACE | UpaLevel::MANDATORY;
    }
    r_.updateSig(l);
  }
  if (groups_.peek() == "X") groups_.next();
}

// No station reports its surface above 500 hPa, nor below a standard level with a temperature.
bool RecordReader::belowReported(float p) const
{
  if (p < 500) return false;
  for (int i = 0; i < r_.getNumMan(); ++i)
    if (r_.getMan(i)->validTemp() && r_.getMan(i)->pres > p) return false;
  return true;
}

void RecordReader::addSurfaceWind(const UpaLevel& l)
{
  UpaLevel sfc;
  r_.getMan(r_.getSfc(), sfc);
  sfc.dir = l.dir;
  sfc.spd = l.spd;
  r_.setMan(r_.getSfc(), sfc);
  for (int i = 0; i < r_.getNumSig(); ++i) {
    UpaLevel s = *r_.getSig(i);
    if (s.type & UpaLevel::SURFACE) {
      s.dir = l.dir;
      s.spd = l.spd;
      r_.setSig(i, s);
    }
  }
  sfc.hght = NONE;
  r_.updateWnd(sfc);
}

void RecordReader::readWinds()
{
  const int limit = version_ == 3 ? V3_WND : UpaRawinData::MAX_WND;
  for (int n = 0; n < limit; ++n) {
    std::string_view w = groups_.next();
    if (w.empty() || w == "$") return;
    if (w == upa::TRACK_WORD) return upa::readTrack(groups_, r_);
    if (w == "X") continue;
    UpaLevel l;
    l.type = UpaLevel::WIND;
    UpaKolFile::decodeWD(groups_.next(), l.dir, l.spd);
    if (isExactPressure(w)) {
      l.pres = readExactPressure(w);
      if (l.validPres()) r_.updateWnd(l);
      continue;
    }
    int kft = upa::field(w, 0, w.size());
    if (kft < 0 || kft > 99) continue;
    l.hght = kft * 1000.0f;
    if (n == 0 && kft == 0 && r_.getSfc() != Const::MISS)
      addSurfaceWind(l);
    else
      r_.updateWnd(l);
  }
}

int RecordReader::read()
{
  if (!readStation()) return 0;
  readMandatory();
  readSpecial();
  readSignificant();
  readWinds();
  return 1;
}

}  // namespace

int UpaKolFile::parseRecord(std::string_view text, int version, UpaRawinData& r)
{
  Date date = r.getDate();
  r.init();
  r.setDate(date);
  return RecordReader(text, version, r).read();
}

// ---------------------------------------------------------------------------------------------
// The file.

bool UpaKolFile::checkType(const char* name)
{
  File f(name, "r");
  if (!f.isOpen()) return false;
  char line[64];
  if (f.getLine(line, sizeof line) <= 0) return false;
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  return !std::strncmp(p, "KOLUPA", 6);
}

int UpaKolFile::open(const char* name, int mode)
{
  close();
  name_ = name ? name : "";
  mode_ = mode;
  if (mode == WRITE) {
    if (!file_.open(name, "w")) {
      Kol::outError("UpaKolFile: Unable to open file: %s\n", name_.c_str());
      return 0;
    }
    version_ = VERSION;
    String label;
    DateTool::createLabel(date_, label);
    label_ = label.get();
    file_.printf("KOLUPAx\n%s\n", label_.c_str());
    return 1;
  }
  if (!file_.open(name, "r")) {
    Kol::outError("UpaKolFile: Unable to open file: %s\n", name_.c_str());
    return 0;
  }
  if (!readHead()) {
    Kol::outError("UpaKolFile: Not an upper-air file: %s\n", name_.c_str());
    file_.close();
    return 0;
  }
  return 1;
}

int UpaKolFile::readHead()
{
  char line[256];
  if (file_.getLine(line, sizeof line) <= 0) return 0;
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  if (std::strncmp(p, "KOLUPA", 6)) return 0;
  version_ = p[6] == 'x' ? 5 : p[6] == '+' ? 4 : 3;
  if (file_.getLine(line, sizeof line) < 0) return 0;
  line[std::strcspn(line, "\r\n")] = '\0';
  label_ = line;
  date_.init();
  if (*line) DateTool::decode(line, date_);
  return 1;
}

int UpaKolFile::close()
{
  if (!file_.isOpen()) return 0;
  return file_.close();
}

int UpaKolFile::rewind()
{
  if (!file_.isOpen() || mode_ != READ) return 0;
  file_.seek(0, SEEK_SET);
  return readHead();
}

int UpaKolFile::readRecord(std::string& text)
{
  text.clear();
  char line[4096];
  int lines = 0;
  for (;;) {
    int n = file_.getLine(line, sizeof line);
    if (n <= 0) return !text.empty();
    ++lines;
    text += line;
    text += '\n';
    std::string_view v(line);
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r' || v.back() == ' '))
      v.remove_suffix(1);
    // Version 3 records have no end mark: they are eight lines and a fixed tail.
    if (!v.empty() && v.back() == '$') return 1;
    if (version_ == 3 && lines == 11) return 1;
  }
}

int UpaKolFile::read(UpaRawinData& r)
{
  if (!file_.isOpen() || mode_ != READ) return 0;
  std::string text;
  if (!readRecord(text)) return 0;
  r.setDate(date_);
  return parseRecord(text, version_, r);
}

int UpaKolFile::readId(String& id)
{
  if (!file_.isOpen() || mode_ != READ) return 0;
  std::string text;
  if (!readRecord(text)) return 0;
  UpaRawinData r;
  if (!parseRecord(text, version_, r)) return 0;
  id = r.getId();
  return 1;
}

int UpaKolFile::write(const UpaRawinData& r)
{
  if (!file_.isOpen() || mode_ != WRITE) return 0;
  std::string text = formatRecord(r);
  return file_.write(text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
}

}  // namespace KOL
