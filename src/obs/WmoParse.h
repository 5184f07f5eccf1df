// Reads bulletins back from the files ingest wrote: steps from product to product (through
// the header index files when there are any), selects products by heading pattern and by a
// station or zone identifier, and hands decoders one classified body line at a time. The file
// list is that of the Filename it extends: data files and their header index files.
#pragma once

#include <vector>

#include "core/File.h"
#include "core/Filename.h"

namespace KOL {

class String;
class WmoProduct;

class WmoParse : public Filename {
 public:
  static constexpr int PATTERN_SIZE = 80;
  static constexpr int ID_SIZE = 80;
  static constexpr int HEADING_SIZE = 120;
  static constexpr int LINE_SIZE = 10240;

  // Classes of lines; getLine delivers only the body classes, 16 and above.
  enum LineClass : int {
    NO_LINE = 0,
    START = 1,
    SEQUENCE = 2,
    HEADING = 3,
    AWIPS = 4,
    SKIPPED = 5,
    TEXT = 16,      // letters or digits
    SYMBOLS = 17,   // no letter or digit at all
    DOLLAR = 18,    // "$$"
    ZONE = 19,      // zone or county codes: uu[CZ]ddd
    EVENT = 20,     // event code: /u.uuu
    HEADLINE = 22,  // ...uu
  };

  WmoParse() { init(); }
  explicit WmoParse(const char* params);
  WmoParse(const WmoParse&) = delete;
  WmoParse& operator=(const WmoParse&) = delete;

  void init();
  // "nohdr" (no header index files), "dollar" ("$$" ends a product), "noawips" (no product
  // identifier line after the heading).
  int setParam(const char* text);
  int open(Filename& files);
  int open(const char* name);
  void setHeader(const char* pattern);
  // A text to find in a line, or "zn:" and a zone code.
  void setId(const char* id);

  // The next selected body line (without its line end) and its class; 0 after the last file.
  int getLine(char* text, int max);
  int getLine(String& text);

  static bool isStart(const char* line);
  bool isNewProd() const { return new_prod_; }
  bool isData() const { return line_class_ >= TEXT && line_class_ <= 31; }
  const char* getHeader() const { return heading_; }
  const char* getAwip() const { return awips_; }
  int getFileInd() const { return file_ind_; }
  long getLoc() const { return loc_; }
  long getHeaderLoc() const { return header_loc_; }
  long tell() { return data_.tell(); }
  int seek(long offset);
  void rewind();
  int setLoc(long offset);
  int setLoc(int file_index, long offset);
  // The next product of the header index that matches the pattern; 0 when there is none.
  int peek(WmoProduct& product);
  int close();
  bool isOpen() const { return open_; }

  bool compare(const char* pattern) const;
  static bool compare(const char* heading, const char* awips, const char* pattern);
  static bool checkZone(const char* line, const char* zone);
  static int lineClass(const char* line);

 private:
  struct IndexLine {
    long offset;
    char heading[HEADING_SIZE + 1];
    char awips[HEADING_SIZE + 1];
  };

  int openCurrent();
  bool nextFile();
  bool readIndex(IndexLine& entry);
  bool nextFromIndex();
  void positionAt(const IndexLine& entry);
  bool readData();
  int classify();
  int bodyLine();
  void takeHeading(const char* text, int n);
  void resetProduct();
  bool idMatches(int cls) const;

  File data_;
  File index_;
  int file_ind_;
  bool open_;
  bool use_index_;
  bool expect_awips_;
  bool dollar_;
  bool index_active_;  // the current file is read through its header index
  char pattern_[PATTERN_SIZE];
  char id_[ID_SIZE];
  char heading_[HEADING_SIZE + 1];
  char awips_[HEADING_SIZE + 1];
  int line_class_;
  int prev_class_;
  bool need_header_;
  bool new_prod_;
  bool pending_new_;
  long loc_;
  long header_loc_;
  long start_loc_;
  bool in_product_;
  bool id_matched_;
  bool selected_;
  bool positioned_;  // the data file stands at a product found through the index
  bool by_index_;    // the current product was found through the index
  bool skip_;        // after "$$" in dollar mode, until the next heading
  int expect_;       // the structure line expected next
  std::vector<char> line_;
};

}  // namespace KOL
