// The one table from projection codes to printed names and transforms.
#include <iterator>

#include "geo/proj/Projection.h"

namespace KOL::proj {

extern const Projection LATLON, MERCATOR, LAMBERT_CONFORMAL, ORTHOGRAPHIC, MOLLWEIDE,
    LAMBERT_AZIMUTHAL, ALBERS, SATELLITE, RADIAL, PIXEL, SCALED_XY, LOG_PRESSURE, HODOGRAPH, SKEW_T,
    STUVE, TEPHIGRAM, UNROTATED_TEPHIGRAM;

namespace {

// Every printed name reads back as its own code: the hodograph prints as "hodo" because "polar"
// names the polar stereographic projection.
const Entry TABLE[] = {
    {1, "pstereo", &POLAR_STEREOGRAPHIC},
    {2, "latlon", &LATLON},
    {3, "merc", &MERCATOR},
    {4, "lamb", &LAMBERT_CONFORMAL},
    {5, "ortho", &ORTHOGRAPHIC},
    {6, "gnom", &PASS_THROUGH},
    {7, "moll", &MOLLWEIDE},
    {8, "lambaz", &LAMBERT_AZIMUTHAL},
    {9, "albers", &ALBERS},
    {10, "sat", &SATELLITE},
    {11, "radial", &RADIAL},
    {20, "pixel", &PIXEL},
    {21, "xy", &PASS_THROUGH},
    {22, "xz", &PASS_THROUGH},
    {23, "xp", &SCALED_XY},
    {24, "xlogp", &LOG_PRESSURE},
    {25, "hodo", &HODOGRAPH},
    {26, "cat", &PASS_THROUGH},
    {40, "skewt", &SKEW_T},
    {41, "stuve", &STUVE},
    {42, "ema", &LOG_PRESSURE},
    {43, "teph", &TEPHIGRAM},
    {44, "rteph", &UNROTATED_TEPHIGRAM},
    {50, "zoom", &PASS_THROUGH},
    {51, "size", &PASS_THROUGH},
    {Const::MISS, "miss", &PASS_THROUGH},
};

const Entry NONE = {Const::MISS, "", &PASS_THROUGH};

}  // namespace

const Entry& find(int code)
{
  for (const Entry& e : TABLE)
    if (e.code == code) return e;
  return NONE;
}

}  // namespace KOL::proj
