// The command line as a list of arguments (item 0 the program path), handed out one keyed
// argument (-key=value, -key value, -key) or positional argument at a time.
#pragma once

#include "core/Strings.h"

namespace KOL {

class String;

class ResrcCL : public Strings {
 public:
  // How the last keyed argument was written.
  enum Kind : int { NO_KEY = 0, KEY_EQUALS = 1, KEY_VALUE = 2, KEY_ALONE = 3, SEPARATOR = 4 };

  explicit ResrcCL(const Strings& args);
  void init();
  void rewind();

  // 1 for a keyed argument (consumed), 0 when the next argument is positional (not consumed;
  // take it with getPosition), -1 at the end.
  int getKeyed(String& key, String& value);
  // Copies the next argument; its index among the positional arguments, or -1 at the end.
  int getPosition(String& value);
  int getLastKind() const { return last_kind; }

  // 2 when arg is the abbreviation, 1 when it begins name (case-sensitive), otherwise 0.
  static int compare(const char* arg, const char* name, const char* abbrev);
  // True for "-x..." or "--x..." where x is a letter.
  static bool isKeyed(const char* arg);

 private:
  const char* arg(int i) const;

  int next_arg = 1;
  int positional = 0;
  int last_kind = NO_KEY;
};

}  // namespace KOL
