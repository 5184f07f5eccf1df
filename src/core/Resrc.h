// The resource database: named text values that configure a program, each remembering where
// its value came from (the library, a resource file, the environment, the command line or the
// program itself). The process-wide instance is Kol::resrc.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>

namespace KOL {

class String;

class Resrc {
 public:
  // Where a value came from; printAll shows 2, 3 and 4 with a marker.
  enum Type : int {
    UNRECORDED = 0,  // created by prepend or append
    LIBRARY = 1,     // "prog" and "name", set while the database is built
    RESFILE = 2,
    ENVIRON = 3,
    CMDLINE = 4,
    PROGRAM = 5  // set or put by the program
  };

  Resrc();
  void init();
  void clear();

  // Replaces the value, type and origin of an existing entry or appends a new one. A null value
  // leaves the entry without value. The origin (file path, variable name) is optional.
  int add(const char* name, const char* value, int type, const char* origin = nullptr);
  int set(const char* name, const char* value, int type) { return add(name, value, type); }
  int set(const char* name, const char* value) { return add(name, value, PROGRAM); }
  int set(const char* name, const String& value);
  int put(const char* name, const char* value) { return add(name, value, PROGRAM); }
  // Joins value before or after the current one with sep ('\0' meaning a newline).
  int prepend(const char* name, const char* value, char sep);
  int append(const char* name, const char* value, char sep);

  // The value; "" for an entry without value, null when missing. The pointer stays valid until
  // that entry is changed or the database cleared.
  const char* get(const char* name) const;
  const char* get(const char* name, const char* def) const;
  // The leading decimal number when the value begins with a digit, otherwise def.
  float get(const char* name, float def) const;
  int get(const char* name, int def) const;
  bool getBool(const char* name) const;
  int getType(const char* name) const;
  // The file or environment variable that gave the value; "" when not recorded, null when missing.
  const char* getOrigin(const char* name) const;
  int scanf(const char* name, const char* fmt, ...) const __attribute__((format(scanf, 3, 4)));
  int getNum() const { return (int)entries.size(); }

  void rewind() { cursor = 0; }
  const char* getNext();
  int getValues(String& name, String& value, int next);

  void print(const char* name) const;
  void printAll() const;
  // The marker printAll shows between a name and a value of the given type.
  static const char* typeMarker(int type);

 private:
  struct Entry {
    std::string name;
    std::string value;
    bool has_value = false;
    int type = UNRECORDED;
    std::string origin;
  };
  const Entry* find(std::string_view name) const;
  Entry* find(std::string_view name);
  int join(const char* name, const char* value, char sep, bool before);

  // A deque keeps every entry in place as others are added, so values handed out stay valid.
  std::deque<Entry> entries;
  std::map<std::string, size_t, std::less<>> index;
  size_t cursor = 0;
};

}  // namespace KOL
