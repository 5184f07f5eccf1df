// Point-by-point thermodynamic fields of the grid calculations over plain float arrays, through
// the thermodynamic functions. Temperatures are in K, relative humidities in %, wind speeds in
// m/s and the pressure (one for the whole grid) in hPa. Values outside the physical ranges
// (temperatures outside 100-400 K, humidities outside 0-150 %, speeds outside 0-200 m/s) and
// missing values give missing results. An operand of size 1 is a constant.
#pragma once

#include <cstddef>

namespace KOL::gridmath {

enum class Thermo {
  DEWPOINT,        // a temperature, b relative humidity
  REL_HUM,         // a temperature, b dew point
  SPEC_HUM,        // a temperature, b relative humidity
  MIX_RATIO,       // a temperature, b relative humidity
  WET_BULB,        // a temperature, b relative humidity
  POT_TEMP,        // a temperature
  VIRT_TEMP,       // a temperature, b relative humidity
  VIRT_POT_TEMP,   // a temperature, b relative humidity
  EQUIV_POT_TEMP,  // a temperature, b relative humidity
  HEAT_INDEX,      // a temperature, b relative humidity
  WIND_CHILL,      // a temperature, b wind speed
  WIND_CHILL2      // a temperature, b wind speed, newer formula
};

void thermo(Thermo f, const float* a, std::size_t na, const float* b, std::size_t nb, float p,
            float* out, std::size_t n);
// Upper temperature less the temperature of a parcel (t, rh at pressure p) lifted to pressure
// pu: dry adiabatically to its condensation level, moist adiabatically above it.
void showalter(const float* t, std::size_t nt, const float* rh, std::size_t nrh, float p,
               const float* tu, std::size_t ntu, float pu, float* out, std::size_t n);

}  // namespace KOL::gridmath
