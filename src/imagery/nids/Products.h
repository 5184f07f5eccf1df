// What the library knows about each NIDS product code: its class, label, bin size and range,
// and whether its third product parameter is an elevation angle.
#pragma once

#include <initializer_list>

namespace KOL::nids {

inline bool among(int code, std::initializer_list<int> codes)
{
  for (int c : codes)
    if (c == code) return true;
  return false;
}

inline bool within(int code, int lo, int hi) { return code >= lo && code <= hi; }

inline bool isBRef(int c) { return within(c, 16, 21) || among(c, {94, 153, 180, 181}); }
inline bool isVel(int c) { return within(c, 22, 27) || among(c, {99, 154, 182}); }
inline bool isBSW(int c) { return within(c, 28, 30); }
inline bool isCRef(int c) { return within(c, 35, 38); }
inline bool isTops(int c) { return c == 41; }
inline bool isEnhTops(int c) { return c == 135; }
inline bool isVAD(int c) { return c == 48; }
inline bool isSRVel(int c) { return within(c, 55, 56); }
inline bool isVIL(int c) { return c == 57; }
inline bool isDigVIL(int c) { return c == 134; }
inline bool isLRef(int c) { return among(c, {65, 66, 89, 90}); }
inline bool isPrec(int c) { return within(c, 78, 80); }
inline bool isDPA(int c) { return c == 81; }
inline bool isDSP(int c) { return c == 138; }
inline bool isDHR(int c) { return among(c, {32, 186}); }
inline bool isDRef(int c) { return within(c, 158, 159); }
inline bool isCorrel(int c) { return c == 161; }
inline bool isHydroClass(int c) { return among(c, {165, 177}); }
inline bool isDPrec(int c) { return within(c, 170, 175); }
// Differences of accumulations: negative values are less, not missing.
inline bool isDPrecDiff(int c) { return within(c, 174, 175); }
inline bool isDPrRate(int c) { return c == 176; }
inline bool isDual(int c)
{
  return among(c, {159, 161, 163, 165, 170, 172, 173, 174, 175, 176, 177});
}

// Label of a single-site product; null when the code has none.
const char* siteLabel(int code);
// Label of a national mosaic product; null when the code has none.
const char* mosaicLabel(int code);

struct BinSize {
  float resolution;  // km
  float range;       // km
  bool halfDegree;   // 720 radials
};
BinSize binSize(int code);

// True when parameter 3 of the product description is an elevation angle in tenths of a degree.
bool hasElevation(int code);

}  // namespace KOL::nids
