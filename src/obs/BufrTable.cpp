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
