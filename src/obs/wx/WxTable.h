// The weather encoding tables of the database file "wx.lup", read once per process: SA tokens,
// METAR prefixes and WMO codes, the two WMO present-weather tables and the plain words.
#pragma once

#include <string>
#include <vector>

namespace KOL {

class WxTable {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  Entries sa_metar;
  Entries metar_wmo;
  Entries wmo_manned;
  Entries wmo_auto;
  Entries words;

  // The table of the database directory, read on first use.
  static const WxTable& get();

  // Reads a table file; false when it cannot be read.
  bool read(const char* path);
  // The value of a key in one section, or null.
  static const std::string* find(const Entries& e, const char* key);
  static const std::string* find(const Entries& e, const char* key, int len);
};

}  // namespace KOL
