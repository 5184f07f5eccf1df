// Macro files of variable lists ("sfcplot.var", "gridplot.var", ...): one macro a line, a name,
// a label, an unused word and the definition, which may continue on following lines after a
// trailing backslash. Names are found by reading the file from its start.
#pragma once

#include "core/File.h"
#include "core/String.h"

namespace KOL {

// One macro.
struct VarFileData {
  static constexpr int NAME_SIZE = 20;
  static constexpr int LABEL_SIZE = 20;

  char name[NAME_SIZE];
  char label[LABEL_SIZE];  // underscores shown as blanks
  int flag;                // always 0
  String definition;

  VarFileData() { init(); }
  void init();
  void print() const;
};

class VarFile {
 public:
  static constexpr int LINE_SIZE = 150;

  VarFile() { init(); }
  explicit VarFile(const char* name);

  void init();
  // The name is looked for in the database directory unless it is a full path.
  int open(const char* name);
  // The next macro; 0 at the end of the file.
  int read(VarFileData& data);
  // The first macro named exactly name, searching from the start; 0 when there is none.
  int search(const char* name, VarFileData& data);
  void rewind();
  int close();
  bool isOpen() const { return file_.isOpen(); }

 private:
  // The next line without its end, trimmed; 0 at the end of the file.
  int readLine(String& line);

  File file_;
};

}  // namespace KOL
