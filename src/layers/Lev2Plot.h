// The layer of full-resolution radar volumes: one sweep of a moment (or a composite of the
// lowest sweeps) drawn on a polar stereographic map about the radar at the plot's resolution,
// in the classes and colours of the NIDS product of the same quantity (velocity with its
// range-folded class), with range rings, the radar's marker, the colour bar and labels.
//
// Parameter keys (comma-separated; values after "="):
//   fi=FILE      the volume (a file or a folder of its chunks)
//   in=CONV      naming convention of the volumes found by date (default "lev2"); nc the same
//   ho=N         hours before the date a volume may be from (default 1)
//   id=ICAO      the radar, for the convention and for the station table when the volume
//                gives no position
//   tz=ZONE      time zone of the date label
//   ct=A:B:...   lower limits of the classes instead of the product's
//   cof=MOMENT   colours of another moment's product (as ref, vel, sw, zdr, rho)
//   va=MOMENT    ref (default), vel, sw, zdr, phi, rho, cfp; "va=vel:1.5" names the elevation
//   comp[=N]     composite of the N lowest elevations (default 2): the largest class, for
//                velocity the lowest elevation with a value
//   site         the radar's identifier beside its marker (the marker is always drawn)
//   dist=KM      range rings every KM km (default 50); nodist none
//   range=KM     only gates within KM km, and a map that wide (default all gates)
//   graph        the colour bar (default); nograph none
//   map[=0]      map lines over the sweep (default); map=0 none
//   clutter      every gate (default); noclutter leaves out gates whose correlation
//                coefficient is below 0.7 (echoes of the ground, insects, birds)
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "graphics/Drawing.h"
#include "imagery/Lev2Data.h"
#include "layers/image/ImageCanvas.h"
#include "layers/lev2plot/MomentScale.h"

namespace KOL {

class Lev2Plot : public Drawing {
 public:
  Lev2Plot() { init(); }
  explicit Lev2Plot(const char* params) : Lev2Plot() { setParam(params); }

  // Defaults, then the resources "variable", "identifier" and "parameter".
  void init() override;
  int setParam(const char* params) override;
  int setNameConv(const char* conv) override;
  int setInput(const char* conv) override { return setNameConv(conv); }
  // Reads the volume and picks the sweep; 0 when it is no readable volume or lacks the moment.
  int setFilename(const char* name) override;
  // The volume of the convention nearest before the date; a volume named by file is kept.
  int setFilename(Date& d) override;
  int setFilename() override;
  // The sweep: by elevation angle (degrees) or by cut number (from 1); before setFilename.
  void setElevation(float deg) { elev = deg, cutNumber = 0; }
  void setCut(int n) { cutNumber = n, elev = Const::FMISS; }
  void setMoment(const char* name);
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int draw(Plot& plot) override;
  void print() override;

  // The cuts drawn (one, or the lowest ones of a composite).
  const std::vector<Lev2Data>& getCuts() const { return cuts; }
  float getSiteLat() const { return lat; }
  float getSiteLon() const { return lon; }
  const std::string& getSite() const { return site; }
  // Spacing of the range rings, km.
  float getRingKm() const;
  // Range rings' radii drawn, km.
  std::vector<float> ringRadii() const;
  float getMaxRangeKm() const;
  const lev2plot::MomentScale& getScale() const { return scale; }
  // The class of a value in the volume's units (0 none).
  int getClass(float v) const;
  int getFoldedClass() const
  {
    return scale.folding ? static_cast<int>(scale.limits.size()) + 1 : 0;
  }
  RGB getClassColor(int k) const { return k > 0 && k < 256 ? colors.rgb[k] : RGB(); }
  std::string infoLabel() const;

 private:
  int pickCuts(const class Lev2File& f);
  void findSite(const char* name);
  void drawRings(Plot& plot) const;
  void drawSite(Plot& plot) const;

  std::string file, conv, id, tz, moment, colorMoment;
  std::vector<float> limits;
  float elev, ringKm, rangeKm, minCorrelation, lat, lon;
  int cutNumber, comp, hours;
  bool siteLabel, rings, bar, map;
  std::string site;
  Date date;
  std::vector<Lev2Data> cuts;
  lev2plot::MomentScale scale;
  imageplot::CodeColors colors;
};

}  // namespace KOL
