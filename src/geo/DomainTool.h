// Domain texts as users and resource files write them: a projection with centre and lattice, a
// centre alone, a station identifier ("KDEN", "id:KDEN"), or the name of a region in a region
// file ("europe", "fi:my.reg", "my.reg:alps"); whatever the text leaves out gets a default.
#pragma once

namespace KOL {

class Domain;
class DomainVal;
class Strings;

class DomainTool {
 public:
  static constexpr const char* STATION_FILE = "sao.cty";
  static constexpr int TABLE_NAME_SIZE = 20;

  static int proj(const char* name);
  // One value for one key ("proj", "plon", "clat", "clon", "nx", "ny", "dx", "dy", "id");
  // 0 when the value is refused. Other keys are accepted and ignored.
  static int setParam(DomainVal& dv, const char* value, const char* key);
  // The values for comma-separated keys, in order; stops at the first refusal.
  static int setParams(DomainVal& dv, const Strings& values, const char* keys);
  static int decode(DomainVal& dv, const char* text);
  static int decode(Domain& dom, const char* text);
  // The resource "plot_domain" when set, else def; 0 when neither is there.
  static int set(Domain& dom, const char* def);
  static int set(Domain& dom) { return set(dom, nullptr); }

 private:
  static int decode(DomainVal& dv, const char* text, int depth);
  static int setProj(DomainVal& dv, const char* value);
  static int setStation(DomainVal& dv, const char* value);
  static int fallback(DomainVal& dv, const Strings& values, int depth);
  static int decodeRegion(DomainVal& dv, const char* file, const char* name, int depth);
  static void applyDefaults(DomainVal& dv, int list);
};

}  // namespace KOL
