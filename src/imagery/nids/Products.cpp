#include "imagery/nids/Products.h"

namespace KOL::nids {

namespace {

struct Label {
  int code;
  const char* text;
};

const char* find(const Label* table, int n, int code)
{
  for (int k = 0; k < n; ++k)
    if (table[k].code == code) return table[k].text;
  return nullptr;
}

}  // namespace

const char* siteLabel(int c)
{
  if (isBRef(c) || c == 186) return "Base reflectivity [dBZ]";
  if (isVel(c)) return "Base velocity [knt]";
  if (isBSW(c)) return "Base spectrum width [knt]";
  if (isCRef(c)) return "Comp reflectivity [dBZ]";
  if (isTops(c)) return "Echo tops [1000 ft]";
  if (isEnhTops(c)) return "Enh Echo tops [1000 ft]";
  if (isVAD(c)) return "VAD wind profile [knt]";
  if (isSRVel(c)) return "Stm rel mn rad velocity [knt]";
  if (isVIL(c)) return "Vert int liquid [kg/m^3]";
  if (isDigVIL(c)) return "Digital vert int liquid [kg/m^3]";
  if (isDHR(c)) return "Digital hyb reflectivity [dBZ]";
  static const Label single[] = {
      {65, "Layer 1 comp refl [dBZ]"},
      {66, "Layer 2 comp refl [dBZ]"},
      {90, "Layer 3 comp refl [dBZ]"},
      {78, "Sfc 1 hr rainfall acc. [in]"},
      {79, "Sfc 3 hr rainfall acc. [in]"},
      {80, "Sfc storm total rainfall acc. [in]"},
      {81, "Digital precip array [in]"},
      {138, "Digital storm precip [in]"},
      {159, "Digital diff refl [dBZ]"},
      {161, "Digital correl coeff"},
      {165, "Digital hydro class"},
      {177, "Hybrid hydro class"},
      {170, "Digital accum array [in]"},
      {171, "Storm total accum"},
      {172, "Digital storm total accum [in]"},
      {174, "Digital 1 hr diff accum [in]"},
      {175, "Digital storm total diff accum [in]"},
      {176, "Digital instant prec rate [in/hr]"},
      {58, "Storm track info"},
      {67, "Comp refl APR [dBZ]"},
      {141, "Mesocyclone detection"},
      {163, "Digital spec diff phase [Deg/km]"},
      {166, "Melting layer"},
      {169, "Sfc 1 hr rainfall accum [in]"},
      {220, "Sfc 1 hr rainfall acc. [in]"},
      {221, "Sfc 3 hr rainfall acc. [in]"},
      {222, "Sfc storm total rainfall acc. [in]"},
  };
  return find(single, sizeof single / sizeof single[0], c);
}

const char* mosaicLabel(int c)
{
  if (c == 6) return "WARP Comp reflectivity [dBZ]";
  if (within(c, 28, 65) || among(c, {103, 104, 211})) return "Composite reflectivity [dBZ]";
  if (among(c, {90, 91})) return "Sfc 1 hr precipitation [in]";
  if (among(c, {95, 96})) return "Echo tops [ft]";
  if (among(c, {101, 105, 107})) return "Sfc precipitation since 12Z [in]";
  if (among(c, {102, 106, 108})) return "Sfc 24 hr precipitation [in]";
  if (within(c, 137, 144) || c == 180) return "Base reflectivity [dBZ]";
  if (among(c, {148, 149, 209})) return "Vert int liquid [kg/m^3]";
  if (among(c, {199, 200})) return "Winter reflectivity [dBZ]";
  if (c == 203) return "Reflectivity at Lowest Alt [dBZ]";
  if (c == 210) return "Echo tops-18dBZ [ft]";
  if (c == 212) return "Echo tops-30dBZ [ft]";
  return nullptr;
}

BinSize binSize(int c)
{
  if (among(c, {22, 25, 28})) return {0.25f, 57.0f, false};
  if (among(c, {23, 26, 29})) return {0.5f, 115.0f, false};
  if (among(c, {16, 19, 24, 27, 30})) return {1.0f, 230.0f, false};
  if (c == 94) return {1.0f, 460.0f, false};
  if (among(c, {17, 20})) return {2.0f, 460.0f, false};
  if (among(c, {18, 21})) return {4.0f, 460.0f, false};
  if (c == 99) return {0.25f, 230.0f, false};
  if (c == 153) return {0.25f, 460.0f, true};
  if (c == 154) return {0.25f, 230.0f, true};
  if (among(c, {180, 181, 182})) return {0.15f, 90.0f, false};
  if (c == 186) return {0.3f, 420.0f, false};
  // Not in the classic table: the bin sizes these products' radials actually have, so
  // that their bins land where they were measured.
  if (among(c, {158, 159, 161, 163, 165})) return {0.25f, 300.0f, false};
  if (among(c, {78, 79, 80, 138, 169, 171})) return {2.0f, 230.0f, false};
  if (within(c, 170, 177)) return {0.25f, 230.0f, false};
  if (c == 134) return {1.0f, 460.0f, false};
  if (c == 135) return {1.0f, 345.0f, false};
  return {1.0f, 230.0f, false};
}

bool hasElevation(int c)
{
  static const int none[] = {31,  32,  33,  34,  48,  58,  59,  61,  78,  79,  80,  81,
                             138, 141, 152, 169, 170, 171, 172, 173, 174, 175, 176, 177};
  for (int n : none)
    if (n == c) return false;
  return true;
}

}  // namespace KOL::nids
