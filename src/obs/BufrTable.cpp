#include "obs/BufrTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Kol.h"

namespace KOL {

namespace {

constexpr int SLOTS = 64 * 256;

int slot(int descriptor) { return (descriptor / 1000 % 100) * 256 + descriptor % 1000; }

bool validSlot(int descriptor)
{
  return descriptor >= 0 && descriptor % 1000 < 256 && descriptor / 1000 % 100 < 64;
}

// The fields of a line cut at '|'.
std::vector<std::string> fields(const std::string& line)
{
  std::vector<std::string> out;
  std::string::size_type start = 0;
  for (;;) {
    auto bar = line.find('|', start);
    out.push_back(line.substr(start, bar - start));
    if (bar == std::string::npos) return out;
    start = bar + 1;
  }
}

int kindOf(const std::string& unit)
{
  if (unit == "CCITT IA5") return BufrTable::TEXT;
  if (unit.rfind("Code table", 0) == 0) return BufrTable::CODE;
  if (unit.rfind("Flag table", 0) == 0) return BufrTable::FLAG;
  return BufrTable::NUMERIC;
}

}  // namespace

BufrTable::BufrTable() { init(); }

void BufrTable::init()
{
  loaded_ = tried_ = false;
  elements_.assign(SLOTS, Element());
  sequences_.assign(SLOTS, {});
  meanings_.clear();
  old_.clear();
  oldUpto_ = 0;
  local_.clear();
}

int BufrTable::load()
{
  if (tried_) return loaded_;
  return load(Kol::getDatabasePath());
}

int BufrTable::load(const char* dir)
{
  init();
  tried_ = true;
  const std::string base = std::string(dir ? dir : ".") + "/";
  if (!readB(base + "bufr_b.lup", false) || !readD(base + "bufr_d.lup")) return 0;
  readCodes(base + "bufr_code.lup");
  readB(base + "bufr_b_old.lup", true);
  readLocal(base + "bufr_b_local.lup", base + "bufr_d_local.lup");
  loaded_ = true;
  return 1;
}

// Table B lines "FXXYYY|unit|scale|reference|width|name"; the old forms lead with the last
// version that had them.
int BufrTable::readB(const std::string& path, bool old)
{
  std::ifstream in(path);
  if (!in) {
    Kol::outWarning("BufrTable: Unable to open file: %s\n", path.c_str());
    return 0;
  }
  std::string line;
  while (std::getline(in, line)) {
    auto f = fields(line);
    int upto = 0;
    if (old && f.size() == 7) {
      upto = std::atoi(f[0].c_str());
      f.erase(f.begin());
    }
    if (f.size() != 6) continue;
    const int d = std::atoi(f[0].c_str());
    if (f[0].size() != 6 || d >= 100000 || !validSlot(d)) continue;
    Element fresh;
    Element& e = old ? fresh : elements_[slot(d)];
    e.unit = f[1];
    e.scale = std::atoi(f[2].c_str());
    e.reference = std::atoi(f[3].c_str());
    e.width = std::atoi(f[4].c_str());
    e.name = f[5];
    e.kind = kindOf(e.unit);
    if (old && upto > 0 && e.width > 0) {
      old_.push_back({upto, d, e});
      oldUpto_ = std::max(oldUpto_, upto);
    }
  }
  return 1;
}

int BufrTable::readD(const std::string& path)
{
  std::ifstream in(path);
  if (!in) {
    Kol::outWarning("BufrTable: Unable to open file: %s\n", path.c_str());
    return 0;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    int d, member;
    if (!(words >> d) || d < 300000 || d > 363255 || !validSlot(d)) continue;
    std::vector<int>& seq = sequences_[slot(d)];
    seq.clear();
    while (words >> member) seq.push_back(member);
  }
  return 1;
}

void BufrTable::readCodes(const std::string& path)
{
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    auto f = fields(line);
    if (f.size() == 3)
      meanings_.push_back({std::atoi(f[0].c_str()), std::atoi(f[1].c_str()), f[2]});
  }
  std::stable_sort(meanings_.begin(), meanings_.end(), [](const Meaning& a, const Meaning& b) {
    return a.descriptor != b.descriptor ? a.descriptor < b.descriptor : a.code < b.code;
  });
}

const BufrTable::Element* BufrTable::element(int descriptor) const
{
  if (descriptor >= 100000 || !validSlot(descriptor)) return nullptr;
  const Element& e = elements_[slot(descriptor)];
  return e.width > 0 ? &e : nullptr;
}

// "centre|first version|last version|" before a Table B or Table D line.
void BufrTable::readLocal(const std::string& bpath, const std::string& dpath)
{
  for (const std::string& path : {bpath, dpath}) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      auto f = fields(line);
      if (f.size() != 4 && f.size() != 9) continue;
      LocalEntry e{
          std::atoi(f[0].c_str()), std::atoi(f[1].c_str()), std::atoi(f[2].c_str()), 0, {}, {}};
      if (f.size() == 9) {
        e.descriptor = std::atoi(f[3].c_str());
        e.element.unit = f[4];
        e.element.scale = std::atoi(f[5].c_str());
        e.element.reference = std::atoi(f[6].c_str());
        e.element.width = std::atoi(f[7].c_str());
        e.element.name = f[8];
        e.element.kind = kindOf(e.element.unit);
        if (e.element.width <= 0) continue;
      } else {
        std::istringstream words(f[3]);
        int member;
        if (!(words >> e.descriptor) || e.descriptor < 300000) continue;
        while (words >> member) e.sequence.push_back(member);
        if (e.sequence.empty()) continue;
      }
      local_.push_back(std::move(e));
    }
  }
}

BufrTable::Local BufrTable::local(int centre, int version) const
{
  Local out;
  if (version <= 0) return out;
  for (const LocalEntry& e : local_) {
    if (e.centre != centre || version < e.first || version > e.last) continue;
    if (e.sequence.empty())
      out.elements[e.descriptor] = &e.element;
    else
      out.sequences[e.descriptor] = &e.sequence;
  }
  return out;
}

const BufrTable::Element* BufrTable::Local::element(int descriptor) const
{
  auto it = elements.find(descriptor);
  return it == elements.end() ? nullptr : it->second;
}

const std::vector<int>* BufrTable::Local::sequence(int descriptor) const
{
  auto it = sequences.find(descriptor);
  return it == sequences.end() ? nullptr : it->second;
}

const BufrTable::Element* BufrTable::element(int descriptor, int version) const
{
  if (version <= oldUpto_)
    for (const Old& o : old_)
      if (o.descriptor == descriptor && version <= o.upto) return &o.element;
  return element(descriptor);
}

const std::vector<int>* BufrTable::sequence(int descriptor) const
{
  if (descriptor < 300000 || descriptor >= 400000 || !validSlot(descriptor)) return nullptr;
  const std::vector<int>& s = sequences_[slot(descriptor)];
  return s.empty() ? nullptr : &s;
}

std::string_view BufrTable::meaning(int descriptor, int code) const
{
  auto it = std::lower_bound(meanings_.begin(), meanings_.end(), std::make_pair(descriptor, code),
                             [](const Meaning& m, const std::pair<int, int>& k) {
                               return m.descriptor != k.first ? m.descriptor < k.first
                                                              : m.code < k.second;
                             });
  if (it == meanings_.end() || it->descriptor != descriptor || it->code != code) return {};
  return it->text;
}

bool BufrTable::isLocal(int descriptor)
{
  return descriptor / 1000 % 100 >= 48 || descriptor % 1000 >= 192;
}

void BufrTable::print() const
{
  int nb = 0, nd = 0;
  for (const Element& e : elements_) nb += e.width > 0;
  for (const auto& s : sequences_) nd += !s.empty();
  std::printf("BufrTable: version %d loaded %d: %d elements %d sequences %zu code meanings\n",
              VERSION, loaded_ ? 1 : 0, nb, nd, meanings_.size());
}

}  // namespace KOL
