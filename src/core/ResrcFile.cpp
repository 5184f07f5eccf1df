#include "core/ResrcFile.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/String.h"
#include "core/resrc/ResrcPattern.h"

namespace KOL {

namespace {

// Longer lines are cut; no word or value needs more.
constexpr size_t MAX_LINE = 4096;
// A resource file is small; this stops an endless device or a wrong huge file.
constexpr long MAX_BYTES = 16L << 20;

const char* const DIRECTORY_FILES[] = {"kol.cfg", ".koldef", "Kol.res"};

size_t skipBlanks(const std::string& s, size_t i)
{
  while (i < s.size() && std::isspace((unsigned char)s[i])) i++;
  return i;
}

size_t wordEnd(const std::string& s, size_t i)
{
  while (i < s.size() && !std::isspace((unsigned char)s[i])) i++;
  return i;
}

// The first word and the second (or the quoted text it opens), cut to their sizes; the number
// of words found.
int splitLine(const std::string& line, std::string& first, std::string& second)
{
  size_t i = skipBlanks(line, 0);
  if (i == line.size()) return 0;
  size_t end = wordEnd(line, i);
  first = line.substr(i, std::min(end - i, (size_t)ResrcFile::PATTERN_SIZE - 1));
  i = skipBlanks(line, end);
  if (i == line.size()) return 1;
  if (line[i] == '"') {
    size_t close = line.find('"', i + 1);
    end = close == std::string::npos ? line.size() : close;
    i++;
  } else {
    end = wordEnd(line, i);
  }
  second = line.substr(i, std::min(end - i, (size_t)ResrcFile::VALUE_SIZE - 1));
  return 2;
}

std::string cut(const std::string& s, int size) { return s.substr(0, size - 1); }

}  // namespace

ResrcFile::ResrcFile() { init(); }

ResrcFile::ResrcFile(const Resrc& resrc)
{
  init();
  set(resrc);
}

ResrcFile::ResrcFile(const Resrc& resrc, const char* p)
{
  init();
  set(resrc);
  open(p);
}

void ResrcFile::init()
{
  prog[0] = name[0] = 0;
  tags.clear();
  conditions.clear();
  refused = 0;
  active = true;
  path.clear();
  line_number = bytes_read = 0;
  at_end = false;
}

void ResrcFile::set(const Resrc& resrc) { set(resrc.get("prog"), resrc.get("name")); }

void ResrcFile::set(const char* p, const char* n)
{
  std::snprintf(prog, sizeof prog, "%s", p ? p : "");
  std::snprintf(name, sizeof name, "%s", n ? n : "");
}

int ResrcFile::setTag(const char* tag)
{
  if (!tag || !*tag) return 0;
  if (isTag(tag)) return 1;
  if ((int)tags.size() >= MAX_TAGS) return 0;
  tags.push_back(cut(tag, TAG_SIZE));
  return 1;
}

bool ResrcFile::isTag(const char* tag) const
{
  if (!tag) return false;
  return std::find(tags.begin(), tags.end(), cut(tag, TAG_SIZE)) != tags.end();
}

int ResrcFile::open(const char* p)
{
  close();
  path = p && *p ? p : "kol.cfg";
  line_number = bytes_read = 0;
  at_end = false;
  if (path[0] == '|') {
    Kol::outWarning("ResrcFile::open: not running a command as a resource file: %s\n",
                    path.c_str());
    return 0;
  }
  if (FileTool::isDir(path.c_str())) {
    std::string dir = path.back() == '/' ? path : path + "/";
    for (const char* file : DIRECTORY_FILES) {
      path = dir + file;
      if (FileTool::isFile(path.c_str())) break;
    }
  }
  return File::open(path.c_str(), "r");
}

// A local stream that is neither at its end nor failed.
bool ResrcFile::moreInput()
{
  FILE* fp = getFP();
  return fp && !std::feof(fp) && !std::ferror(fp);
}

int ResrcFile::readLine(std::string& line)
{
  line.clear();
  if (at_end || !isOpen()) return 0;
  char buf[512];
  bool cut_off = false;
  int n = 0;
  while (true) {
    n = getLine(buf, sizeof buf);
    // A line stops short of the buffer only at its end or at a NUL byte.
    if (n < (int)sizeof buf - 1 && (n == 0 || buf[n - 1] != '\n') && moreInput()) {
      Kol::outWarning("ResrcFile::get: %s:%ld: NUL byte, the rest of the file is ignored\n",
                      path.c_str(), line_number + 1);
      at_end = true;
      return 0;
    }
    if (n <= 0) break;
    bytes_read += n;
    size_t room = MAX_LINE - std::min(MAX_LINE, line.size());
    cut_off |= (size_t)n > room;
    line.append(buf, std::min((size_t)n, room));
    if (buf[n - 1] == '\n') break;
    if (bytes_read > MAX_BYTES) break;
  }
  if (bytes_read > MAX_BYTES) {
    Kol::outWarning("ResrcFile::get: %s: more than %ld bytes, the rest is ignored\n", path.c_str(),
                    MAX_BYTES);
    at_end = true;
  }
  if (line.empty() && n <= 0) at_end = true;
  if (at_end) return 0;
  line_number++;
  if (cut_off)
    Kol::outWarning("ResrcFile::get: %s:%ld: line cut at %zu characters\n", path.c_str(),
                    line_number, MAX_LINE);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return 1;
}

void ResrcFile::updateActive()
{
  active = refused == 0 &&
           std::all_of(conditions.begin(), conditions.end(), [](int c) { return c == TRUE_BLOCK; });
}

void ResrcFile::pushIf(const std::string& tag)
{
  if (refused > 0 || (int)conditions.size() >= MAX_DEPTH) {
    if (refused++ == 0)
      Kol::outWarning("ResrcFile::get: %s:%ld: if nested deeper than %d levels, block skipped\n",
                      path.c_str(), line_number, MAX_DEPTH);
  } else {
    bool on = isTag(tag.c_str()) || strcasecmp(tag.c_str(), "V6") == 0;
    conditions.push_back(on ? TRUE_BLOCK : FALSE_BLOCK);
  }
  updateActive();
}

// ELSE (tag null) or ELIF: a block that has been true is done; a false one may become true.
void ResrcFile::switchBlock(const char* what, const std::string* tag)
{
  if (refused > 0) return;
  if (conditions.empty()) {
    Kol::outWarning("ResrcFile::get: %s without an if\n", what);
    return;
  }
  int& top = conditions.back();
  if (top == TRUE_BLOCK)
    top = DONE_BLOCK;
  else if (top == FALSE_BLOCK && (!tag || isTag(tag->c_str())))
    top = TRUE_BLOCK;
  updateActive();
}

void ResrcFile::popIf()
{
  if (refused > 0)
    refused--;
  else if (conditions.empty())
    Kol::outWarning("ResrcFile::get: end without an if\n");
  else
    conditions.pop_back();
  updateActive();
}

int ResrcFile::directive(const std::string& word, const std::string& tag)
{
  const char* w = word.c_str();
  if (strcasecmp(w, "def") == 0) {
    setTag(tag.c_str());
  } else if (strcasecmp(w, "undef") == 0) {
    auto it = std::find(tags.begin(), tags.end(), cut(tag, TAG_SIZE));
    if (!tag.empty() && it != tags.end()) tags.erase(it);
  } else if (strcasecmp(w, "if") == 0) {
    if (!tag.empty()) pushIf(tag);
  } else if (strcasecmp(w, "elif") == 0) {
    if (!tag.empty()) switchBlock("elif", &tag);
  } else if (strcasecmp(w, "else") == 0) {
    switchBlock("else", nullptr);
  } else if (strcasecmp(w, "end") == 0) {
    popIf();
  } else {
    return 0;
  }
  return 1;
}

void ResrcFile::warnOpenBlocks()
{
  int open_blocks = (int)conditions.size() + refused;
  if (open_blocks > 0)
    Kol::outWarning("ResrcFile::get: %s: %d if without an end\n", path.c_str(), open_blocks);
}

int ResrcFile::get(String& n, String& v)
{
  std::string line, first, second;
  bool was_open = isOpen() && !at_end;
  while (readLine(line)) {
    if (line.empty() || line[0] == '#') continue;
    second.clear();
    int words = splitLine(line, first, second);
    if (words == 0 || directive(first, second) || words < 2 || !active) continue;
    for (char& c : first) c = (char)std::tolower((unsigned char)c);
    if (first.size() > 1 && first.back() == ':') first.pop_back();
    n.copy(first.c_str());
    v.copy(second.c_str());
    return 1;
  }
  if (was_open) warnOpenBlocks();
  return -1;
}

int ResrcFile::getValid(String& n, String& v)
{
  String pattern;
  while (get(pattern, v) == 1)
    if (valid(pattern.get())) return parseName(pattern.get(), n);
  return -1;
}

bool ResrcFile::compare(const char* resource, const char* pattern) const
{
  if (!resource || !pattern) return false;
  return ResrcPattern::match(pattern, ResrcPattern::qualify(prog, name, resource));
}

bool ResrcFile::valid(const char* pattern) const
{
  if (!pattern) return false;
  std::string resource(ResrcPattern::resource(pattern));
  return compare(resource.c_str(), pattern);
}

int ResrcFile::parseName(const char* pattern, String& n)
{
  if (!pattern) return 0;
  std::string resource(ResrcPattern::resource(pattern));
  n.copy(resource.c_str());
  return 1;
}

int ResrcFile::readFile(Resrc& resrc, const char* p)
{
  if (!open(p)) return 0;
  String n, v;
  while (getValid(n, v) == 1) resrc.add(n.get(), v.get(), Resrc::PROGRAM, getPath());
  close();
  return 1;
}

}  // namespace KOL
