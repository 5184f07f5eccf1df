// The BUFR tables a message is decoded with: Table B (elements), Table D (sequences) and the
// meanings of the code and flag tables the listings show, read from the database directory
// ("bufr_b.lup", "bufr_d.lup", "bufr_code.lup", made by scripts/make_bufr_tables from the WMO
// tables of WMO-No. 306 Volume I.2, FM 94 BUFR, master table 0, version 45). Since version 14
// WMO only adds entries, so the one table serves every message of master table 0; the few
// elements changed in version 14 keep their earlier form in "bufr_b_old.lup" for messages of
// the versions before. The local descriptors of originating centres (X 48-63, Y 192-255) are
// in "bufr_b_local.lup" and "bufr_d_local.lup", by centre and local table version.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace KOL {

class BufrTable {
 public:
  static constexpr int VERSION = 45;
  enum Kind : int { NUMERIC = 0, TEXT = 1, CODE = 2, FLAG = 3 };

  struct Element {
    int width = 0;  // bits; 0 when the descriptor is not in the table
    int scale = 0;
    int reference = 0;
    int kind = NUMERIC;
    std::string unit;
    std::string name;
  };

  // The local table of one centre and local table version.
  struct Local {
    std::unordered_map<int, const Element*> elements;
    std::unordered_map<int, const std::vector<int>*> sequences;
    const Element* element(int descriptor) const;
    const std::vector<int>* sequence(int descriptor) const;
    bool empty() const { return elements.empty() && sequences.empty(); }
  };

  BufrTable();
  void init();
  // Reads the three files from the database directory; 0 (and a message) when Table B or Table
  // D cannot be read. load() reads them once; later calls return the first result.
  int load();
  int load(const char* dir);
  bool isLoaded() const { return loaded_; }

  // Descriptors are FXXYYY as integers (12101 for 0-12-101).
  const Element* element(int descriptor) const;
  // The element as a message of that master table version has it.
  const Element* element(int descriptor, int version) const;
  const std::vector<int>* sequence(int descriptor) const;
  // The local table of a centre's local table version; empty when there is none.
  Local local(int centre, int version) const;
  // The meaning of a code figure (or flag bit number), "" when not listed.
  std::string_view meaning(int descriptor, int code) const;
  // True for the local parts of the tables: X 48-63 or Y 192-255.
  static bool isLocal(int descriptor);
  void print() const;

 private:
  int readB(const std::string& path, bool old);
  int readD(const std::string& path);
  void readCodes(const std::string& path);
  void readLocal(const std::string& bpath, const std::string& dpath);

  bool loaded_;
  bool tried_;
  // Indexed by XX * 256 + YYY.
  std::vector<Element> elements_;
  std::vector<std::vector<int>> sequences_;
  struct Old {
    int upto;  // the last version with this form
    int descriptor;
    Element element;
  };
  std::vector<Old> old_;
  int oldUpto_;
  struct LocalEntry {
    int centre, first, last, descriptor;
    Element element;
    std::vector<int> sequence;
  };
  std::vector<LocalEntry> local_;
  struct Meaning {
    int descriptor;
    int code;
    std::string text;
  };
  std::vector<Meaning> meanings_;  // sorted by descriptor and code
};

}  // namespace KOL
