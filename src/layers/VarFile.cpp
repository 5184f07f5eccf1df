#include "layers/VarFile.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

// The next blank-separated word of s from pos; empty at the end.
std::string_view nextWord(std::string_view s, size_t& pos)
{
  while (pos < s.size() && StrLib::isSpace(static_cast<unsigned char>(s[pos]))) pos++;
  size_t start = pos;
  while (pos < s.size() && !StrLib::isSpace(static_cast<unsigned char>(s[pos]))) pos++;
  return s.substr(start, pos - start);
}

void copyWord(char* dst, int size, std::string_view w)
{
  StrLib::copy(dst, size, w.data(), static_cast<int>(w.size()));
}

}  // namespace

void VarFileData::init()
{
  name[0] = label[0] = '\0';
  flag = 0;
  definition.clear();
}

void VarFileData::print() const { std::printf("%-19s %-19s %s\n", name, label, definition.get()); }

VarFile::VarFile(const char* name)
{
  init();
  open(name);
}

void VarFile::init() { file_.close(); }

int VarFile::open(const char* name)
{
  close();
  if (!StrLib::valid(name)) return 0;
  String path;
  FileTool::addPath(Kol::getDatabasePath(), name, path);
  return file_.open(path, "r");
}

int VarFile::close() { return file_.close(); }

void VarFile::rewind() { file_.rewind(); }

int VarFile::readLine(String& line)
{
  char buf[LINE_SIZE + 2];
  int n = file_.getLine(buf, sizeof buf);
  if (n <= 0) return 0;
  if (buf[n - 1] == '\n') {
    buf[n - 1] = '\0';
  } else if (n == LINE_SIZE + 1) {
    buf[LINE_SIZE] = '\0';
    file_.skipLine();
  }
  const char* start = buf;
  while (StrLib::isSpace(static_cast<unsigned char>(*start))) start++;
  line.copy(start);
  line.trimWS();
  return 1;
}

int VarFile::read(VarFileData& data)
{
  data.init();
  if (!file_.isOpen()) return 0;
  String line, next;
  while (readLine(line)) {
    while (line.length() > 0 && line.getChar(-1) == '\\') {
      line.chop();
      if (!readLine(next)) break;
      line.append(next);
    }
    std::string_view text(line.get(), line.length());
    size_t pos = 0;
    std::string_view name = nextWord(text, pos);
    std::string_view label = nextWord(text, pos);
    nextWord(text, pos);
    std::string_view def = nextWord(text, pos);
    if (name.empty() || def.empty()) continue;
    copyWord(data.name, VarFileData::NAME_SIZE, name);
    copyWord(data.label, VarFileData::LABEL_SIZE, label);
    StrLib::replace(data.label, '_', ' ');
    data.definition.copy(def.data());  // from the fourth word to the end of the line
    data.definition.stripWS();
    return 1;
  }
  return 0;
}

int VarFile::search(const char* name, VarFileData& data)
{
  if (!name || !file_.isOpen()) return 0;
  rewind();
  while (read(data))
    if (std::strcmp(data.name, name) == 0) return 1;
  data.init();
  return 0;
}

}  // namespace KOL
