#include "imagery/lev2/Messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "imagery/lev2/Metadata.h"

namespace KOL::lev2 {

namespace {

constexpr std::size_t CTM_SIZE = 12, HEADER_SIZE = 16, FRAME_SIZE = 2432;
constexpr int MSG_DIGITAL_RADAR = 1, MSG_STATUS = 2, MSG_VCP = 5, MSG_ADAPTATION = 18;
constexpr int MSG_GENERIC_RADAR = 31;
constexpr int ORDA_CHANNEL_BIT = 0x08;
// A message size of all ones: the length in bytes is in the header's last four bytes.
constexpr unsigned LONG_MESSAGE = 65535;
constexpr std::size_t MSG1_HEADER = 100, MSG31_HEADER = 32, MOMENT_HEADER = 28;
constexpr std::size_t VCP_HEADER = 22, VCP_CUT = 46;
constexpr int MAX_BLOCKS = 16;
// 16-bit binary angles: 180 degrees is 2^15.
constexpr double BINARY_ANGLE = 180.0 / 32768.0;
constexpr int SECONDS_PER_DAY = 86400;
constexpr int BAD_RADIAL = 0x80;

unsigned be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t be32(const uint8_t* p)
{
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
float f32(const uint8_t* p)
{
  const uint32_t v = be32(p);
  float f;
  std::memcpy(&f, &v, sizeof f);
  return std::isfinite(f) ? f : 0.0f;
}

double timeOf(unsigned days, uint32_t ms)
{
  return (static_cast<double>(days) - 1.0) * SECONDS_PER_DAY + ms / 1000.0;
}

// The codes stay in the record until the cut takes them.
void addMoment(Decoded& out, MomentPiece m, const uint8_t* data)
{
  m.data = data;
  out.moments.push_back(m);
}

void problem(Decoded& out, const char* what, const Lev2Radial& r)
{
  char text[160];
  std::snprintf(text, sizeof text, "%s (elevation %d, azimuth %.2f)", what, r.elevNumber,
                static_cast<double>(r.azimuth));
  out.problems.emplace_back(text);
}

void volumeBlock(const uint8_t* b, std::size_t left, Decoded& out)
{
  if (out.site.set || left < 44) return;
  out.site.set = true;
  out.site.lat = f32(b + 8), out.site.lon = f32(b + 12);
  // a terminal radar gives degrees times 1000
  if (std::fabs(out.site.lat) > 90.0f) out.site.lat /= 1000.0f;
  if (std::fabs(out.site.lon) > 180.0f) out.site.lon /= 1000.0f;
  out.site.height = static_cast<float>(static_cast<int16_t>(be16(b + 16)));
  out.site.vcp = static_cast<int>(be16(b + 40));
}

void radialBlock(const uint8_t* b, std::size_t left, Lev2Radial& r)
{
  if (left < 18) return;
  r.unambiguousRange = be16(b + 6) / 10.0f;
  r.nyquist = be16(b + 16) / 100.0f;
}

// A data moment block; false when its gates run past the message.
bool momentBlock(const uint8_t* b, std::size_t left, Decoded& out)
{
  if (left < MOMENT_HEADER) return false;
  MomentPiece m;
  std::memcpy(m.name, b + 1, 3);
  m.gates = static_cast<int>(be16(b + 8));
  m.firstGate = static_cast<float>(static_cast<int16_t>(be16(b + 10)));
  m.spacing = static_cast<float>(be16(b + 12));
  m.wordSize = b[19];
  m.scale = f32(b + 20);
  m.offset = f32(b + 24);
  if ((m.wordSize != 8 && m.wordSize != 16) || m.scale == 0.0f) return false;
  if (static_cast<std::size_t>(m.gates) * (m.wordSize / 8) > left - MOMENT_HEADER) return false;
  addMoment(out, m, b + MOMENT_HEADER);
  return true;
}

void message31(const uint8_t* b, std::size_t len, Decoded& out)
{
  if (len < MSG31_HEADER) return;
  RadialPiece rp;
  Lev2Radial& r = rp.radial;
  r.time = timeOf(be16(b + 8), be32(b + 4));
  if (out.site.icao.empty())
    out.site.icao.assign(reinterpret_cast<const char*>(b),
                         strnlen(reinterpret_cast<const char*>(b), 4));
  r.azimuthNumber = static_cast<int>(be16(b + 10));
  r.azimuth = f32(b + 12);
  r.status = b[21];
  r.elevNumber = b[22];
  r.elevation = f32(b + 24);
  const int blocks = static_cast<int>(be16(b + 30));
  rp.firstMoment = out.moments.size();
  if (blocks > MAX_BLOCKS) problem(out, "bad block count", r);
  // the pointers follow the fixed header, offsets from its start
  for (int i = 0; i < std::min(blocks, MAX_BLOCKS) && MSG31_HEADER + 4u * i + 4 <= len; ++i) {
    const std::size_t at = be32(b + MSG31_HEADER + 4 * i);
    if (at < MSG31_HEADER || at + 4 > len) {
      problem(out, "block pointer outside the radial", r);
      continue;
    }
    const uint8_t* blk = b + at;
    const std::size_t left = len - at;
    if (blk[0] == 'R' && std::memcmp(blk + 1, "VOL", 3) == 0)
      volumeBlock(blk, left, out);
    else if (blk[0] == 'R' && std::memcmp(blk + 1, "RAD", 3) == 0)
      radialBlock(blk, left, r);
    else if (blk[0] == 'D' && !momentBlock(blk, left, out))
      problem(out, "bad moment block", r);
  }
  rp.moments = out.moments.size() - rp.firstMoment;
  if (r.status & BAD_RADIAL) problem(out, "bad radial", r);
  out.radials.push_back(rp);
}

struct LegacyMoment {
  const char* name;
  int ptrAt, binsAt, firstAt, spacingAt;
  float offset;
};

void message1(const uint8_t* b, std::size_t len, Decoded& out)
{
  if (len < MSG1_HEADER) return;
  RadialPiece rp;
  Lev2Radial& r = rp.radial;
  r.time = timeOf(be16(b + 4), be32(b));
  r.unambiguousRange = be16(b + 6) / 10.0f;
  r.azimuth = static_cast<float>(be16(b + 8) * BINARY_ANGLE);
  r.azimuthNumber = static_cast<int>(be16(b + 10));
  r.status = static_cast<int>(be16(b + 12));
  r.elevation = static_cast<float>(be16(b + 14) * BINARY_ANGLE);
  r.elevNumber = static_cast<int>(be16(b + 16));
  r.nyquist = be16(b + 60) / 100.0f;
  if (!out.site.set) out.site.vcp = static_cast<int>(be16(b + 44));
  // velocity in steps of 0.5 m/s (code 2) or 1 m/s (code 4)
  const float velScale = be16(b + 42) == 4 ? 1.0f : 2.0f;
  static const LegacyMoment legacy[] = {{"REF", 36, 26, 18, 22, 66.0f},
                                        {"VEL", 38, 28, 20, 24, 129.0f},
                                        {"SW", 40, 28, 20, 24, 129.0f}};
  rp.firstMoment = out.moments.size();
  for (const LegacyMoment& l : legacy) {
    const std::size_t ptr = be16(b + l.ptrAt);
    MomentPiece m;
    std::memcpy(m.name, l.name, std::strlen(l.name));
    m.gates = static_cast<int>(be16(b + l.binsAt));
    // a pointer without gates means the moment is absent
    if (ptr == 0 || m.gates == 0) continue;
    m.firstGate = static_cast<float>(static_cast<int16_t>(be16(b + l.firstAt)));
    m.spacing = static_cast<float>(be16(b + l.spacingAt));
    m.scale = l.name[0] == 'V' ? velScale : 2.0f;
    m.offset = l.offset;
    if (ptr < MSG1_HEADER || ptr + m.gates > len) {
      problem(out, "moment outside the radial", r);
      continue;
    }
    addMoment(out, m, b + ptr);
  }
  rp.moments = out.moments.size() - rp.firstMoment;
  if (r.status & BAD_RADIAL) problem(out, "bad radial", r);
  out.radials.push_back(rp);
}

void message5(const uint8_t* b, std::size_t len, Decoded& out)
{
  if (len < VCP_HEADER || !out.vcpAngles.empty()) return;
  const unsigned cuts = be16(b + 6);
  const int pattern = static_cast<int>(be16(b + 4));
  if (pattern == 0 || cuts == 0) return;  // an empty pattern: the radials name the VCP
  out.vcp = pattern;
  for (unsigned k = 0; k < cuts && VCP_HEADER + (k + 1) * VCP_CUT <= len; ++k)
    out.vcpAngles.push_back(static_cast<float>(be16(b + VCP_HEADER + k * VCP_CUT) * BINARY_ANGLE));
}

}  // namespace

void decodeMessages(const uint8_t* p, std::size_t n, Decoded& out)
{
  std::size_t at = 0;
  while (n - at >= CTM_SIZE + HEADER_SIZE) {
    const uint8_t* h = p + at + CTM_SIZE;
    const unsigned size = be16(h);
    const int type = h[3];
    // Message 31 and long messages take their own length; the rest a fixed frame
    const bool own = type == MSG_GENERIC_RADAR || size == LONG_MESSAGE;
    std::size_t len = std::min<std::size_t>(2u * size, FRAME_SIZE - CTM_SIZE);
    if (type == MSG_GENERIC_RADAR)
      len = 2u * size;
    else if (size == LONG_MESSAGE)
      len = (static_cast<std::size_t>(be16(h + 12)) << 16) | be16(h + 14);
    if (own && len < HEADER_SIZE) {
      out.problems.emplace_back("message of " + std::to_string(len) + " bytes");
      return;
    }
    ++out.counts[type];
    const std::size_t room = n - at - CTM_SIZE;
    if (type == MSG_GENERIC_RADAR && len > room) {
      out.problems.emplace_back("radial cut short at the end of its record");
      return;
    }
    const std::size_t body = std::min(len, room);
    if (body > HEADER_SIZE) {
      if (type == MSG_GENERIC_RADAR)
        message31(h + HEADER_SIZE, body - HEADER_SIZE, out);
      else if (type == MSG_DIGITAL_RADAR)
        message1(h + HEADER_SIZE, body - HEADER_SIZE, out);
      else if (type == MSG_VCP)
        message5(h + HEADER_SIZE, body - HEADER_SIZE, out);
      else if (type == MSG_STATUS && !out.status.present)
        out.status = readStatus(h + HEADER_SIZE, body - HEADER_SIZE, h[2] & ORDA_CHANNEL_BIT);
      else if (type == MSG_ADAPTATION)
        out.adaptation.emplace(be16(h + 14), std::vector<uint8_t>(h + HEADER_SIZE, h + body));
    }
    const std::size_t step = CTM_SIZE + (own ? len : FRAME_SIZE - CTM_SIZE);
    if (step >= n - at) return;
    at += step;
  }
}

}  // namespace KOL::lev2
