// File name templates: directives ('%', an optional count, a letter or {resource}) turned into
// names for a date, names read back into dates, the time step of a template, and a wildcard
// pattern matching every name a template can give.
#pragma once

#include <functional>
#include <string>

#include "core/Date.h"

namespace KOL::nameconv {

class DirCache;

// One '%' directive.
struct Directive {
  int count = 1;
  bool counted = false;  // the count was written
  char letter = 0;       // 0 for a %{resource} directive
  std::string resource;  // the path resource of a path directive, "" otherwise
  bool isPath() const { return !resource.empty(); }
};

// Reads the directive that follows a '%'; returns the text after it.
const char* readDirective(const char* p, Directive& d);

// What a template needs besides the date.
struct TemplateContext {
  std::function<const char*(char)> key;                     // null when the key is absent
  std::function<std::string(const std::string&)> pathList;  // the path list of a resource
  std::string ext;
  int fore = Const::MISS;
  int path_index = 0;
  DirCache* cache = nullptr;  // existence of inserted directories; asked directly when null
};

struct Encoded {
  std::string name;
  Date file_date;       // the date the name stands for (values rounded by directive counts)
  bool path_ok = true;  // every inserted directory exists
  int path_count = 1;   // elements of the longest path list used
};

Encoded encode(const char* tmpl, const Date& date, const TemplateContext& ctx);
// Seconds between consecutive names (the finest of %d, %j, %h, %n times its count);
// Const::MISS when the template has none of them.
int offsetOf(const char* tmpl);
// Reads the date fields from a name that fits the template (compared over as many trailing
// path components as the template has); false when it does not fit.
bool decode(const char* name, const char* tmpl, DateVal& fields);
// An fnmatch pattern (see FileTool::listMatch) for every name the template gives.
std::string listPattern(const char* tmpl, const TemplateContext& ctx);

}  // namespace KOL::nameconv
