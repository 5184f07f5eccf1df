#include "imagery/nids/Levels.h"

#include <cmath>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"
#include "imagery/nids/Products.h"

namespace KOL::nids {

namespace {

constexpr float KNOTS_PER_MS = 1.944f;

int16_t s16(unsigned hw) { return static_cast<int16_t>(static_cast<uint16_t>(hw)); }

void fillMissing(LevelTable& t)
{
  for (float& v : t.value) v = Const::FMISS;
  t.count = 0;
}

// Minimum and increment tables: code 0 is below threshold, code 1 range folded or reserved,
// and the first value sits at code `first`.
void linear(LevelTable& t, float min, float inc, int levels, int first)
{
  const int last = levels > 0 && levels + first - 1 < 256 ? levels + first - 1 : 255;
  for (int n = first; n <= last; ++n) t.value[n] = min + (n - first) * inc;
  t.count = last - first + 1;
}

void scaleOffset(LevelTable& t, float scale, float offset, int first, float divide)
{
  if (scale == 0.0f) scale = 1.0f;
  for (int n = first; n < 256; ++n) t.value[n] = (n - offset) / scale / divide;
  t.count = 256 - first;
}

}  // namespace

float float16(unsigned hw)
{
  const int sign = (hw >> 15) & 1, e = (hw >> 10) & 0x1F, f = hw & 0x3FF;
  float v = e == 0 ? 2.0f * f / 1024.0f : (1.0f + f / 1024.0f) * std::ldexp(1.0f, e - 16);
  return sign ? -v : v;
}

float float32(unsigned hi, unsigned lo)
{
  uint32_t bits = (static_cast<uint32_t>(hi & 0xFFFF) << 16) | (lo & 0xFFFF);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return std::isfinite(v) ? v : 0.0f;
}

float legacyLevel(unsigned hw)
{
  const int level = hw & 0xFF;
  if (hw & 0x8000) {
    Kol::outDebug(5, "THRES: %d MISS-%2X\n", level, level);
    return level == 0 ? -100.0f : -90.0f;
  }
  float v = static_cast<float>(level);
  if (hw & 0x2000) v /= 20.0f;
  if (hw & 0x1000) v /= 10.0f;
  if (hw & 0x0100) v = -v;
  if (hw & 0x0800) v += 0.01f;
  if (hw & 0x0400) v -= 0.01f;
  return v;
}

void legacyTable(const uint16_t hw[16], LevelTable& t)
{
  fillMissing(t);
  for (int k = 0; k < 16; ++k) t.value[k] = legacyLevel(hw[k]);
  t.count = 16;
}

int digitalTable(int code, const uint16_t hw[16], LevelTable& t)
{
  fillMissing(t);
  const float min = s16(hw[0]) / 10.0f, inc = s16(hw[1]) / 10.0f;
  if (among(code, {32, 94, 153, 180})) {
    linear(t, min, inc, hw[2], 2);
  } else if (isVel(code)) {
    // TDWR base velocity (182) too: follows the Level III ICD (NOAA 2620001), which gives it in
    // m/s like the other velocity products, so it is shown in knots like them.
    linear(t, min * KNOTS_PER_MS, inc * KNOTS_PER_MS, hw[2], 2);
  } else if (code == 186) {
    linear(t, -32.0f, 0.5f, 254, 2);
  } else if (code == 81) {
    // Follows the Level III ICD (NOAA 2620001): the minimum in tenths of dBA, the increment in
    // thousandths, and the first value at code 1; 255 marks no data.
    linear(t, min, hw[1] / 1000.0f, 254, 1);
  } else if (code == 138) {
    linear(t, s16(hw[0]) / 100.0f, s16(hw[1]) / 100.0f, 254, 2);
  } else if (code == 134) {
    const float linScale = float16(hw[0]), linOffset = float16(hw[1]);
    const int logStart = hw[2];
    const float logScale = float16(hw[3]), logOffset = float16(hw[4]);
    for (int n = 2; n < 255; ++n)
      t.value[n] = n < logStart ? (n - linOffset) / (linScale != 0.0f ? linScale : 1.0f)
                                : std::exp((n - logOffset) / (logScale != 0.0f ? logScale : 1.0f));
    t.count = 253;
  } else if (code == 135) {
    const int mask = hw[0];
    const float scale = hw[1] ? static_cast<float>(hw[1]) : 1.0f,
                offset = static_cast<float>(hw[2]);
    for (int n = 2; n < 256; ++n) t.value[n] = (n & mask) / scale - offset;
    t.count = 254;
  } else if (isDual(code)) {
    // Accumulations count hundredths of an inch from code 1: follows the Level III ICD (NOAA
    // 2620001), where only the leading flag levels (halfword 37, one for these products) are
    // flags. The other products start at code 2.
    const bool accum = isDPrec(code);
    scaleOffset(t, float32(hw[0], hw[1]), float32(hw[2], hw[3]), accum ? 1 : 2,
                accum ? 100.0f : 1.0f);
    if (hw[5] > 0 && hw[5] < 255)
      for (int n = hw[5] + 1; n < 256; ++n) t.value[n] = Const::FMISS;
  } else {
    return 0;
  }
  return 1;
}

}  // namespace KOL::nids
