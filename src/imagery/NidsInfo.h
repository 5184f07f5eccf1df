// What a NIDS radar product is: radar site and position, product code and label, times,
// elevation, operational mode and the packet that holds its data.
#pragma once

#include "core/Date.h"

namespace KOL {

class NidsInfo {
 public:
  static constexpr int LABEL_SIZE = 80;
  static constexpr int MISC_SIZE = 120;

  NidsInfo() { init(); }
  virtual ~NidsInfo() = default;
  NidsInfo(const NidsInfo&) = default;
  NidsInfo& operator=(const NidsInfo&) = default;

  void init();

  void setProduct(int code) { product_ = code; }
  int getProduct() const { return product_; }
  void setSource(int id) { source_ = id; }
  int getSource() const { return source_; }
  void setMode(int mode) { mode_ = mode; }
  // 0 maintenance, 1 clear air, 2 precipitation.
  int getMode() const { return mode_; }
  void setPosition(float lat, float lon, float heightMetres);
  float getLat() const { return lat_; }
  float getLon() const { return lon_; }
  float getHeight() const { return height_; }
  void setElev(float degrees) { elev_ = degrees; }
  // Elevation angle in degrees; missing for products not tied to one elevation.
  float getElev() const { return elev_; }
  void setPacket(int code) { packet_ = code; }
  int getPacket() const { return packet_; }
  void setLabel(const char* text);
  const char* getLabel() const { return label_; }
  void setMisc(const char* text);
  const char* getMisc() const { return misc_; }
  // The volume scan time.
  void setDate(const Date& d) { date_ = d; }
  int getDate(Date& d) const;
  const Date& getDate() const { return date_; }
  void setGenDate(const Date& d) { gen_date_ = d; }
  const Date& getGenDate() const { return gen_date_; }
  void setVcp(int vcp) { vcp_ = vcp; }
  int getVcp() const { return vcp_; }
  // Bin resolution and range in km.
  void setRange(float resolution, float range) { res_ = resolution, range_ = range; }
  float getResolution() const { return res_; }
  float getRange() const { return range_; }
  void setNumLevels(int n) { num_levels_ = n; }
  int getNumLevels() const { return num_levels_; }
  // The data level code of range-folded bins; -1 when the product marks none.
  void setFoldedLevel(int code) { folded_level_ = code; }
  int getFoldedLevel() const { return folded_level_; }

  virtual void print() const;

 private:
  Date date_, gen_date_;
  float lat_, lon_, height_, elev_, res_, range_;
  int product_, source_, packet_, mode_, vcp_, num_levels_, folded_level_;
  char label_[LABEL_SIZE];
  char misc_[MISC_SIZE];
};

}  // namespace KOL
