// One file naming convention: the templates of a data type read from the site's convention
// file "name.cnv", and what is done with them: names for a date, the date of a name, the newest
// file that exists ("la", "la-6", ...), and the list of every file of the type.
#pragma once

#include <memory>
#include <string>

#include "core/Date.h"
#include "core/String.h"

namespace KOL {

class NameConvFile;
class Strings;

namespace nameconv {
class DirCache;
struct TemplateContext;
}  // namespace nameconv

class NameConv {
 public:
  static constexpr int TEMPLATE_SIZE = 80;
  static constexpr int EXT_SIZE = 30;
  static constexpr int MAX_KEYS = 20;
  static constexpr int KEY_SIZE = 20;
  static constexpr int FORMAT_SIZE = 20;
  static constexpr int PARAM_SIZE = 50;
  static constexpr int TYPE_SIZE = 20;
  static constexpr int LATE_LIMIT = 500;

  NameConv() { init(); }
  explicit NameConv(const char* spec);
  NameConv(const NameConv&) = default;
  NameConv& operator=(const NameConv&) = default;

  void init();
  // Resets what a search uses: fixed and current dates, forecast time, output mode, late limit.
  void initParam();
  // "type[:k=value...][,header,format][,min=M][,size=S]", "none" or "@template".
  int set(const char* spec);
  int setPath(const char* text);
  int setPath(const String& text) { return setPath(text.get()); }
  const char* getPath() const { return path.get(); }
  const char* getFile() const { return file_tmpl.c_str(); }
  const char* getHdrFile() const { return hdr_tmpl.c_str(); }
  const char* getType() const { return type; }
  const char* getFormat() const { return format; }
  const char* getParam() const { return params; }
  int setExt(const char* text);
  const char* getExt() const { return ext; }
  // 0 when all keys are in use; an existing letter is replaced.
  int setKey(char letter, const char* value);
  const char* getKey(char letter) const;
  int setOffset(const char* tmpl);
  int getOffset() const { return offset; }
  long getMinSize() const { return min_size; }
  int getMinTime() const { return min_time; }
  bool isSet() const { return !file_tmpl.empty(); }
  // A convention that names files by date ("none" and an unset one do not).
  bool hasTemplate() const;

  int setFixDate(const DateVal& d);
  int setFixDate(const char* text);
  void setLateLimit(int n) { late_limit = n; }
  void setLateDate(const Date& d) { current = d; }
  void setOutput(bool on) { output = on; }
  void setForeTime(int hours) { fore = hours; }

  int encode(const Date& d, int which, String& out);
  int encodeFile(const Date& d, String& out) { return encode(d, 0, out); }
  int encodeHdr(const Date& d, String& out) { return encode(d, 1, out); }
  int decode(const char* name);
  int parsePath(const char* name, const char* tmpl);
  // Resolves a file request ("la", "la-6", "#2024011512", "-6", ">la" ...).
  int setLatest(const char* spec, NameConvFile& out);
  int setFile(const Date& d, NameConvFile& out);
  int getDate(Date& d) const;
  // The date a file request starts from: the fixed current time, the convention's current
  // date, the environment variable "kolcurtime", or the clock.
  Date baseDate() const;
  // Every existing file the convention names, and the wildcard pattern used to find them.
  int listFiles(Strings& paths, String& pattern) const;
  void print() const;

 private:
  struct Key {
    char letter;
    char value[KEY_SIZE];
  };
  struct Search;

  // 1 when a line serves the type, 0 when none does, -1 when the file cannot be opened.
  int readConvention(const char* wanted);
  void applyLine(const char* line_type, const char* wanted, const char* tmpl, const char* hdr,
                 const char* size_format, const char* param_text);
  void applyParams(const char* text);
  bool checkTemplate() const;
  std::string pathList(const std::string& resource) const;
  nameconv::TemplateContext context(nameconv::DirCache* cache) const;
  std::string encodeName(const Date& d, int which, nameconv::DirCache* cache, bool& path_ok);
  bool present(const std::string& name, nameconv::DirCache& cache) const;
  bool fileFor(Search& s, nameconv::DirCache& cache);
  bool latest(Search& s, const char*& p, nameconv::DirCache& cache);
  void applyFixDate(Date& d) const;
  void fill(const Search& s, NameConvFile& out);
  // The directory listings of this convention's searches (shared by copies).
  nameconv::DirCache& dirCache();

  // templates may be whole paths (a type without a convention line names its file itself)
  std::string file_tmpl;
  std::string hdr_tmpl;
  String path;
  char ext[EXT_SIZE];
  Key keys[MAX_KEYS];
  int num_keys;
  long min_size;
  int min_time;
  char format[FORMAT_SIZE];
  char params[PARAM_SIZE];
  int offset;
  Date file_date;
  // The fixed year, month, day, hour and minute; a negative hour or minute rounds down.
  int fix[5];
  Date current;
  int fore;
  bool output;
  int late_limit;
  int path_index;
  int path_count;
  bool path_exists;
  char type[TYPE_SIZE];
  std::shared_ptr<nameconv::DirCache> listings;
};

}  // namespace KOL
