// A resource file: lines "pattern value" selected for a program by their pattern, with
// DEF/UNDEF tags and IF/ELIF/ELSE/END blocks. One ResrcFile can read several files in turn;
// its tags and open blocks carry over from one file to the next.
#pragma once

#include <string>
#include <vector>

#include "core/File.h"

namespace KOL {

class Resrc;
class String;

class ResrcFile : public File {
 public:
  static constexpr int NAME_SIZE = 30;  // program and instance names, terminator included
  static constexpr int MAX_TAGS = 10;
  static constexpr int TAG_SIZE = 20;
  static constexpr int MAX_DEPTH = 12;  // deeper IF blocks are refused and skipped whole
  static constexpr int PATTERN_SIZE = 50;
  static constexpr int VALUE_SIZE = 250;

  ResrcFile();
  explicit ResrcFile(const Resrc& resrc);
  ResrcFile(const Resrc& resrc, const char* path);
  void init();

  // Program and instance names from the resources "prog" and "name", or given.
  void set(const Resrc& resrc);
  void set(const char* prog, const char* name);
  // Defines a tag; 0 when MAX_TAGS are defined.
  int setTag(const char* tag);
  bool isTag(const char* tag) const;

  // Opens path, or kol.cfg, .koldef or Kol.res in a directory ("" is the current directory).
  int open(const char* path);
  int close() { return File::close(); }
  // The path of the open (or last opened) file.
  const char* getPath() const { return path.c_str(); }

  // The next entry as pattern and value: 1, or -1 at the end.
  int get(String& name, String& value);
  // The next entry meant for this program, its name reduced to the resource.
  int getValid(String& name, String& value);
  // Whether pattern selects this program's resource.
  bool compare(const char* resource, const char* pattern) const;
  // Whether pattern selects, for this program, the resource it names itself.
  bool valid(const char* pattern) const;
  // The resource a pattern names (after its last '.' or '*').
  static int parseName(const char* pattern, String& name);

  // Opens path and puts every entry meant for this program with type PROGRAM; 0 when the file
  // cannot be opened.
  int readFile(Resrc& resrc, const char* path);

 private:
  enum Condition : int { FALSE_BLOCK = 0, TRUE_BLOCK = 1, DONE_BLOCK = 2 };
  int readLine(std::string& line);
  bool moreInput();
  // 1 when the line was a directive, handled here.
  int directive(const std::string& word, const std::string& tag);
  void pushIf(const std::string& tag);
  void switchBlock(const char* what, const std::string* tag);
  void popIf();
  void updateActive();
  void warnOpenBlocks();

  char prog[NAME_SIZE];
  char name[NAME_SIZE];
  std::vector<std::string> tags;
  std::vector<int> conditions;
  int refused = 0;  // IF blocks nested beyond MAX_DEPTH, being skipped
  bool active = true;
  std::string path;
  long line_number = 0;
  long bytes_read = 0;
  bool at_end = false;
};

}  // namespace KOL
