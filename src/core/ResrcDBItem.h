// One option a program declares: its resource name, environment variable, command-line
// abbreviation and help line. The four texts are borrowed, usually string literals.
#pragma once

namespace KOL {

class ResrcDBItem {
 public:
  ResrcDBItem() { init(); }
  ResrcDBItem(const char* name, const char* env, const char* abbrev, const char* help);
  void init();
  void set(const char* name, const char* env, const char* abbrev, const char* help);
  void print() const;

  const char* name;
  const char* env;     // may be null or empty
  const char* abbrev;  // may be null
  const char* help;
};

}  // namespace KOL
