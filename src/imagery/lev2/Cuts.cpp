#include "imagery/lev2/Cuts.h"

#include <algorithm>
#include <cstring>

namespace KOL::lev2 {

namespace {

// Radial status (ICD): 0 start of an elevation, 3 start of the volume, 5 start of the last
// elevation; bit 7 flags a bad radial.
constexpr int STATUS_MASK = 0x7f;
bool startsCut(int status)
{
  const int s = status & STATUS_MASK;
  return s == 0 || s == 3 || s == 5;
}

struct Ref {
  const Decoded* record;
  const RadialPiece* radial;
};

using Group = std::vector<Ref>;

std::vector<Group> groups(const std::vector<Decoded>& records)
{
  std::vector<Group> out;
  int elev = -1;
  for (const Decoded& d : records)
    for (const RadialPiece& r : d.radials) {
      if (out.empty() || startsCut(r.radial.status) || r.radial.elevNumber != elev)
        if (out.empty() || !out.back().empty()) out.emplace_back();
      elev = r.radial.elevNumber;
      out.back().push_back({&d, &r});
    }
  return out;
}

// "SW " is the spectrum width's block name
std::string nameOf(const MomentPiece& m)
{
  std::string s(m.name, strnlen(m.name, 3));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The moments of a cut in the order met, gates the most of any radial, the rest from the first.
std::vector<Lev2Moment> momentsOf(const Group& g)
{
  std::vector<Lev2Moment> out;
  for (size_t j = 0; j < g.size(); ++j) {
    const RadialPiece& r = *g[j].radial;
    for (size_t k = 0; k < r.moments; ++k) {
      const MomentPiece& m = g[j].record->moments[r.firstMoment + k];
      const std::string name = nameOf(m);
      auto it = std::find_if(out.begin(), out.end(),
                             [&name](const Lev2Moment& x) { return x.name == name; });
      if (it == out.end()) {
        Lev2Moment n;
        n.name = name;
        n.firstGate = m.firstGate, n.spacing = m.spacing;
        n.wordSize = m.wordSize, n.scale = m.scale, n.offset = m.offset;
        n.radialGates.assign(g.size(), 0);
        out.push_back(std::move(n));
        it = out.end() - 1;
      }
      it->gates = std::max(it->gates, m.gates);
    }
  }
  return out;
}

void fill(const Group& g, std::vector<Lev2Moment>& moments)
{
  for (Lev2Moment& m : moments) m.rows.assign(g.size(), nullptr);
  for (size_t j = 0; j < g.size(); ++j) {
    const RadialPiece& r = *g[j].radial;
    for (size_t k = 0; k < r.moments; ++k) {
      const MomentPiece& p = g[j].record->moments[r.firstMoment + k];
      const std::string name = nameOf(p);
      for (Lev2Moment& m : moments) {
        // a moment's first block in a radial counts, and only of the cut's word size
        if (m.name != name || m.rows[j] || p.wordSize != m.wordSize) continue;
        m.rows[j] = p.data;
        m.radialGates[j] = static_cast<uint16_t>(p.gates);
        ++m.radials;
        break;
      }
    }
  }
}

}  // namespace

void CutBuilder::build(const std::vector<Decoded>& records, const Keep& keep, const Site& site,
                       const std::vector<float>& vcpAngles, const Date& date,
                       std::vector<Lev2Data>& cuts)
{
  cuts.clear();
  for (const Group& g : groups(records)) {
    Lev2Data d;
    d.cut_ = static_cast<int>(cuts.size()) + 1;
    d.elev_number_ = g.front().radial->radial.elevNumber;
    if (d.elev_number_ >= 1 && d.elev_number_ <= static_cast<int>(vcpAngles.size()))
      d.vcp_elev_ = vcpAngles[d.elev_number_ - 1];
    d.vcp_ = site.vcp;
    d.icao_ = site.icao;
    if (site.set) d.lat_ = site.lat, d.lon_ = site.lon, d.height_ = site.height;
    d.date_ = date;
    d.radials_.reserve(g.size());
    for (const Ref& r : g) d.radials_.push_back(r.radial->radial);
    d.moments_ = momentsOf(g);
    fill(g, d.moments_);
    for (const Ref& r : g)
      if (d.keep_.empty() || d.keep_.back() != keep[r.record - records.data()])
        d.keep_.push_back(keep[r.record - records.data()]);
    if (!d.moments_.empty()) d.current_ = 0;
    cuts.push_back(std::move(d));
  }
}

}  // namespace KOL::lev2
