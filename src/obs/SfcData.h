// One surface report of one station, as every observation decoder fills it and the surface files
// store it: identification, time, the reported values in fixed units, up to five cloud layers and
// the supplementary groups. Numeric values without a report hold Const::MISS; character codes
// hold a blank.
#pragma once

#include "core/Date.h"
#include "obs/CloudLayer.h"

namespace KOL {

class String;

class SfcData {
 public:
  static constexpr int ID_SIZE = 11;
  static constexpr int NAME_SIZE = 25;
  static constexpr int PLATFORM_SIZE = 11;
  static constexpr int WX_SIZE = 21;
  static constexpr int COMMENT_SIZE = 100;
  static constexpr int MAX_CLD = 5;
  static constexpr int MAX_CLD_TYPE = 3;
  static constexpr int NUM_PREC = 5;
  static constexpr int COMMENT_WORD = 20;

  // Report formats.
  enum Type : int {
    NIL = 0,
    METAR = 1,
    SPECI = 2,
    SA = 3,
    SP = 4,
    SYNOP = 5,
    SHIP = 6,
    BUOY = 7,
    DRIBU = 8,
    MOBIL = 9,
    CMAN = 10
  };
  // Slots of the precipitation amounts.
  enum Prec : int { PREC1 = 0, PREC3 = 1, PREC6 = 2, PREC12 = 3, PREC24 = 4 };
  // Groups of values, as compare reports them and update merges them.
  enum Group : int {
    TYPE = 0x1,
    TIME = 0x2,
    TEMP = 0x4,
    PRES = 0x8,
    WIND = 0x10,
    WX = 0x20,
    CLD = 0x40,
    VIS = 0x80,
    PTND = 0x100,
    PREC = 0x200,
    EXTT = 0x400,
    SNOW = 0x800,
    SOL = 0x1000,
    SEA = 0x2000,
    CTYP = 0x4000,
    COM = 0x8000,
    ALL = 0xFFFF
  };

  char id[ID_SIZE];
  char name[NAME_SIZE];
  char platform[PLATFORM_SIZE];
  int type;
  int subtype;
  long wmo;
  float lat, lon, elev;  // degrees north, degrees east, metres
  int index;
  Date date;
  int flag;
  float temp, dewp;  // C
  float wdir;        // degrees true, 0 for calm
  float wspd, gust;  // knots
  float slp;         // hPa
  float alt;         // inches of mercury
  float vis;         // statute miles
  CloudLayer cld[MAX_CLD];
  int ncld;
  char wx[WX_SIZE];
  int ptend_type;        // WMO characteristic 0 to 9
  float ptend;           // hPa over 3 hours
  float prec[NUM_PREC];  // mm over 1, 3, 6, 12 and 24 hours
  float spare;
  int spare_int;
  int low_amount;                  // character of the WMO Nh digit
  char cld_type[MAX_CLD_TYPE];     // low, middle, high
  float maxt, mint, maxt6, mint6;  // C
  float snow;                      // cm
  float sun;                       // minutes
  float sst;                       // C
  float wave_per;                  // s
  float wave_hgt;                  // m
  char comment[COMMENT_SIZE];

  SfcData() { init(); }

  void init();

  int setId(const char* s);
  int setName(const char* s);
  int setPlatform(const char* s);
  int setWeather(const char* s);

  int getDate(Date& d) const;
  // hour * 100 + minute; Const::MISS when the date is unset.
  int getTime() const;
  // The nearest hour (minutes 50 and above round up, 24 becoming 0).
  int getHour() const;
  long getSeconds() const { return date.getSeconds(); }

  int setCldHeight(int i, float h);
  float getCldHeight(int i) const;
  int setCldCover(int i, char c);
  char getCldCover(int i) const;
  // The ceiling height over all layers.
  float getCldHeight() const;
  // The summary cover of all layers.
  char getCldCover() const;
  int setCldType(int i, char c);
  char getCldType(int i) const;

  int setComment(const char* s);
  // Appends the text and a blank.
  int addComment(const char* s);
  // Appends the first n blank-separated words of s (each cut to 20 characters); the words added.
  int addComment(const char* s, int n);
  const char* getComment() const { return comment; }

  // The weather in plain words.
  int weatherText(String& out) const;

  void setFlag(int f) { flag = f; }
  void orFlag(int f) { flag |= f; }
  int getFlag() const { return flag; }

  // Mask of the groups in which two reports differ.
  static int compare(const SfcData& a, const SfcData& b);
  static void printDiff(int mask);
  // Takes the groups of the mask from a newer report of the same station.
  void update(const SfcData& newer, int mask);
  // Clears values outside their plausible ranges.
  void validate();

  void print() const;
  int outString(String& out) const;
  void printLine() const;

 private:
  bool isFull() const;
  void updatePrec(const SfcData& newer, bool full);
};

}  // namespace KOL
