#include "imagery/Lev2File.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>

#include "core/Kol.h"
#include "imagery/lev2/Container.h"
#include "imagery/lev2/Cuts.h"
#include "imagery/lev2/Messages.h"
#include "imagery/lev2/Metadata.h"

namespace KOL {

namespace {

// Lines of problems written for one volume before the rest are only counted.
constexpr int MAX_LINES = 20;
constexpr int SECONDS_PER_DAY = 86400;
constexpr float SAME_ELEVATION = 0.25f;

// One record decompressed (when it is bzip2) into its own bytes and its messages decoded.
void decodeRecord(const uint8_t* bytes, const lev2::Record& r, int index, lev2::Decoded& out)
{
  std::string why;
  if (r.truncated) why = "cut short";
  if (r.bzip2) {
    std::size_t size = 0;
    out.bytes = std::make_shared<lev2::Bytes>();
    if (!lev2::bunzip(bytes + r.offset, r.size, *out.bytes, size, why) && why.empty())
      why = "failed";
    lev2::decodeMessages(out.bytes->data(), size, out);
  } else {
    lev2::decodeMessages(bytes + r.offset, r.size, out);
  }
  if (!why.empty())
    out.problems.insert(out.problems.begin(), "record " + std::to_string(index + 1) + ": " + why);
}

// The scan pattern from Message 5, else Message 2, where the radials name none; the place from
// the adaptation data for Message 1 volumes, which have no volume block.
void settleSite(lev2::Site& site, int vcp, const Lev2Status& status, const Lev2Adaptation& a)
{
  if (!site.vcp) site.vcp = vcp;
  if (!site.vcp && status.present) site.vcp = status.vcp;
  if (site.set || !a.located) return;
  site.set = true;
  site.lat = a.lat, site.lon = a.lon, site.height = a.height;
}

}  // namespace

void Lev2File::init()
{
  open_ = false;
  threads_ = 0;
  bytes_ = std::make_shared<std::vector<uint8_t>>();
  start_ = 0;
  tape_.clear();
  icao_.clear();
  date_.init();
  vcp_ = radials_ = problems_ = 0;
  records_ = 0;
  counts_.clear();
  cuts_.clear();
  status_ = Lev2Status();
  adaptation_ = Lev2Adaptation();
}

bool Lev2File::isLev2(const uint8_t* data, std::size_t size)
{
  lev2::VolumeHeader h;
  if (lev2::readVolumeHeader(data, size, h)) return true;
  return size >= 8 && data[4] == 'B' && data[5] == 'Z' && data[6] == 'h';
}

bool Lev2File::isVolume(const char* name)
{
  if (!name) return false;
  const std::vector<uint8_t> head = lev2::readHead(name, lev2::VOLUME_HEADER_SIZE + 8);
  return isLev2(head.data(), head.size());
}

int Lev2File::open(const char* name)
{
  const int threads = threads_;
  init();
  threads_ = threads;
  std::string why;
  if (!name || !lev2::loadVolume(name, *bytes_, why)) {
    Kol::outWarning("Lev2File: %s: %s\n", name ? name : "", why.c_str());
    return 0;
  }
  if (!why.empty()) report(why);
  return loaded(name);
}

int Lev2File::openBytes(const uint8_t* data, std::size_t size)
{
  const int threads = threads_;
  init();
  threads_ = threads;
  if (data) bytes_->assign(data, data + size);
  std::string why;
  if (!lev2::unwrap(*bytes_, why)) {
    Kol::outWarning("Lev2File: %s\n", why.c_str());
    return 0;
  }
  return loaded("(memory)");
}

int Lev2File::loaded(const char* name)
{
  if (!isLev2(bytes_->data(), bytes_->size())) {
    Kol::outWarning("Lev2File: %s is not a radar volume\n", name);
    bytes_->clear();
    return 0;
  }
  lev2::VolumeHeader h;
  start_ = lev2::readVolumeHeader(bytes_->data(), bytes_->size(), h);
  tape_ = h.tape;
  icao_ = h.icao;
  if (h.present) date_.set((h.days - 1) * SECONDS_PER_DAY + h.ms / 1000);
  open_ = true;
  return 1;
}

void Lev2File::report(const std::string& line)
{
  if (++problems_ <= MAX_LINES) Kol::outWarning("Lev2File: %s\n", line.c_str());
}

int Lev2File::read()
{
  if (!open_) return 0;
  const std::vector<lev2::Record> recs = lev2::splitRecords(bytes_->data(), bytes_->size(), start_);
  records_ = recs.size();
  counts_.clear();
  radials_ = problems_ = 0;
  std::vector<lev2::Decoded> decoded(recs.size());
  int n = threads_ > 0 ? threads_ : static_cast<int>(std::thread::hardware_concurrency());
  n = std::max(1, std::min(n, static_cast<int>(recs.size())));
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next++) < recs.size();)
      decodeRecord(bytes_->data(), recs[i], static_cast<int>(i), decoded[i]);
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < n; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  // messages are written here, in record order, never from the workers
  lev2::Site site;
  std::vector<float> angles;
  int vcp = 0;
  Lev2Status status;
  std::map<int, std::vector<uint8_t>> adaptation;
  for (const lev2::Decoded& d : decoded) {
    if (!status.present) status = d.status;
    adaptation.insert(d.adaptation.begin(), d.adaptation.end());
    for (const std::string& p : d.problems) report(p);
    for (const auto& [type, count] : d.counts) counts_[type] += count;
    radials_ += static_cast<int>(d.radials.size());
    if (!site.set && d.site.set) site = d.site;
    if (site.icao.empty()) site.icao = d.site.icao;
    if (!site.vcp && d.site.vcp) site.vcp = d.site.vcp;
    if (angles.empty()) angles = d.vcpAngles, vcp = d.vcp;
  }
  if (problems_ > MAX_LINES) Kol::outWarning("Lev2File: %d more problems\n", problems_ - MAX_LINES);
  if (site.icao.empty() || site.icao.find_first_not_of(' ') == std::string::npos) site.icao = icao_;
  if (icao_.empty()) icao_ = site.icao;
  const Lev2Adaptation adapted = lev2::readAdaptation(adaptation);
  settleSite(site, vcp, status, adapted);
  vcp_ = site.vcp;
  if (!date_.isSet() && !decoded.empty())
    for (const lev2::Decoded& d : decoded)
      if (!d.radials.empty()) {
        date_.set(static_cast<long>(std::floor(d.radials.front().radial.time)));
        break;
      }
  lev2::Keep keep;
  for (const lev2::Decoded& d : decoded)
    keep.push_back(d.bytes ? std::shared_ptr<const void>(d.bytes)
                           : std::shared_ptr<const void>(bytes_));
  lev2::CutBuilder::build(decoded, keep, site, angles, date_, cuts_);
  for (Lev2Data& c : cuts_) c.status_ = status, c.adaptation_ = adapted;
  status_ = status;
  adaptation_ = adapted;
  if (cuts_.empty()) Kol::outWarning("Lev2File: no radials in the volume\n");
  return cuts_.empty() ? 0 : 1;
}

const Lev2Data* Lev2File::getCut(int cut) const
{
  return cut >= 1 && cut <= getNumCuts() ? &cuts_[cut - 1] : nullptr;
}

int Lev2File::readSweep(int cut, Lev2Data& d) const
{
  const Lev2Data* c = getCut(cut);
  if (!c) return 0;
  d = *c;
  return 1;
}

int Lev2File::readSweep(int cut, const char* moment, Lev2Data& d) const
{
  const Lev2Data* c = getCut(cut);
  const int k = c ? c->findMoment(moment) : -1;
  if (k < 0) return 0;
  d = *c;
  d.moments_ = {c->moments_[k]};
  d.current_ = 0;
  return 1;
}

int Lev2File::readSweeps(std::vector<Lev2Data>& out) const
{
  out = cuts_;
  return !out.empty();
}

int Lev2File::findCut(const char* moment, float elevDeg) const
{
  for (const Lev2Data& c : cuts_)
    if (c.findMoment(moment) >= 0 && std::fabs(c.getElevation() - elevDeg) <= SAME_ELEVATION)
      return c.getCut();
  return -1;
}

int Lev2File::getMessageCount(int type) const
{
  auto it = counts_.find(type);
  return it == counts_.end() ? 0 : it->second;
}

void Lev2File::print() const
{
  std::printf("Lev2File %s %s VCP %d: %zu records, %d radials, %d cuts, %d problems\n",
              tape_.c_str(), icao_.c_str(), vcp_, records_, radials_, getNumCuts(), problems_);
  const Lev2Status& s = status_;
  if (s.present)
    std::printf("RDA status %d, operability %d, control %d, mode %d, VCP %d, build %.2f (%s)\n",
                s.rdaStatus, s.operability, s.control, s.operationalMode, s.vcp,
                static_cast<double>(s.build), s.orda ? "open RDA" : "legacy RDA");
  const Lev2Adaptation& a = adaptation_;
  if (a.present)
    std::printf("Adaptation data %s format %s revision %s of %s %s\n", a.fileName.c_str(),
                a.format.c_str(), a.revision.c_str(), a.date.c_str(), a.time.c_str());
  if (a.located)
    std::printf("Adaptation site %s at %.4f %.4f, %.0f m\n", a.icao.c_str(),
                static_cast<double>(a.lat), static_cast<double>(a.lon),
                static_cast<double>(a.height));
  for (const Lev2Data& c : cuts_) c.print();
}

}  // namespace KOL
