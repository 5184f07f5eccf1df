#include "obs/Product.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/wmo/OpenFiles.h"

namespace KOL {

namespace {

struct Keyword {
  const char* text;
  int action;
};

// Longer keywords first, so that ">>" is not read as ">".
constexpr Keyword KEYWORDS[] = {
    {">>", Product::APPEND},   {"append", Product::APPEND},  {">", Product::WRITE},
    {"write", Product::WRITE}, {"|", Product::PIPE},         {"pipe", Product::PIPE},
    {"#", Product::FILE_NAME}, {"file", Product::FILE_NAME}, {"@", Product::RUN},
    {"run", Product::RUN},     {"-", Product::IGNORE}};

// The action keyword that s begins with (any case) and its length; 0 when none.
int keywordAt(const char* s, int& len)
{
  for (const Keyword& k : KEYWORDS) {
    len = StrLib::length(k.text);
    if (StrLib::iequal(s, k.text, len)) return k.action;
  }
  len = 0;
  return 0;
}

// The names of the standard streams are short: a file name is told from them without a compare
// for every bulletin.
bool isStdio(const char* name) { return strnlen(name, 5) < 5 && FileTool::isStdio(name); }

// The next white-space separated word of s into out (cut at size - 1); the rest after it.
const char* nextWord(const char* s, char* out, int size)
{
  while (*s && StrLib::isSpace(static_cast<unsigned char>(*s))) s++;
  const char* start = s;
  while (*s && !StrLib::isSpace(static_cast<unsigned char>(*s))) s++;
  StrLib::copy(out, size, start, static_cast<int>(s - start));
  return s;
}

// A template word held whole; false (said once) when it is longer than a path may be.
bool templateWord(const char*& s, char* out)
{
  while (*s && StrLib::isSpace(static_cast<unsigned char>(*s))) s++;
  size_t n = 0;
  while (s[n] && !StrLib::isSpace(static_cast<unsigned char>(s[n]))) n++;
  const std::string word(s, n);
  s += n;
  if (!FileTool::checkLength("Product", word.c_str())) return false;
  StrLib::copy(out, Product::FILE_SIZE, word.c_str());
  return true;
}

}  // namespace

void Product::init()
{
  pattern[0] = flags[0] = file_tmpl[0] = hdr_tmpl[0] = file_name[0] = hdr_name[0] = 0;
  act = NO_ACTION;
  raw = bin = unique = false;
  sel = UNSELECTED;
  pan = off = 0;
  pos = written = 0;
  filed = false;
  fd = -1;
  kept_in = kept_from = nullptr;
  buf = nullptr;
  buf_size = buf_len = 0;
  file_hint = hdr_hint = {};
  closeOutput();
  header.close();
}

int Product::set(const char* line)
{
  init();
  if (!line) return 0;
  char word[FILE_SIZE];
  const char* rest = nextWord(line, word, sizeof word);
  StrLib::copy(pattern, PATTERN_SIZE, word);
  rest = nextWord(rest, word, sizeof word);
  StrLib::copy(flags, FLAGS_SIZE, word);
  if (!pattern[0] || !flags[0] || !setFlags(flags)) return 0;

  while (*rest && StrLib::isSpace(static_cast<unsigned char>(*rest))) rest++;
  std::string tail(rest);
  while (!tail.empty() && StrLib::isSpace(static_cast<unsigned char>(tail.back()))) tail.pop_back();
  if (act == PIPE || act == RUN) {
    if (!FileTool::checkLength("Product", tail.c_str())) return 0;
    StrLib::copy(file_tmpl, FILE_SIZE, tail.c_str());
  } else if (act != IGNORE) {
    const char* more = tail.c_str();
    if (!templateWord(more, file_tmpl) || !templateWord(more, hdr_tmpl)) return 0;
  }
  for (char* t : {file_tmpl, hdr_tmpl}) {
    if (t[0] != '@') continue;
    Kol::outWarning("Product: template fields beginning with @ are reserved: %s\n", t);
    t[0] = 0;
  }
  return 1;
}

int Product::setFlags(const char* word)
{
  raw = bin = unique = false;
  pan = off = 0;
  act = NO_ACTION;
  bool digits = false;
  const char* s = word;
  int len = 0;
  while (*s && !keywordAt(s, len)) {
    char c = *s++;
    if (c == 'B') {
      bin = true;
    } else if (c == 'R') {
      raw = true;
    } else if (c == 'U') {
      unique = true;
    } else if (c == 'P') {
      if (!StrLib::isDigit(static_cast<unsigned char>(*s))) {
        if (!digits) pan = ALL_PANS;
      }
      for (; StrLib::isDigit(static_cast<unsigned char>(*s)); s++) {
        pan |= 1 << (*s - '0');
        digits = true;
      }
    } else {
      return 0;
    }
  }
  act = keywordAt(s, len);
  if (!act) return 0;
  s += len;
  if ((*s == '+' || *s == '-') && StrLib::isDigit(static_cast<unsigned char>(s[1])))
    off = static_cast<int>(std::strtol(s, nullptr, 10)) * 60;
  return 1;
}

bool Product::isElse() const { return StrLib::equal(pattern, "else"); }

int Product::openOutput(char* buffer, int size, wmo::OpenFiles* kept)
{
  written = pos = 0;
  filed = false;
  closeOutput();
  if (!file_name[0]) return 0;
  kept_from = nullptr;
  buf = buffer;
  buf_size = buffer && size > 0 ? size : 0;
  // Two rules appending one bulletin to the same file each get a descriptor of their own.
  if (kept && act == APPEND && file_name[0] != '|' && !isStdio(file_name) &&
      (fd = kept->take(file_name, &file_hint)) >= 0) {
    kept_in = kept_from = kept;
    filed = true;
    return 1;
  }
  if (act == PIPE) {
    filed = output.open(file_name, "pw");
  } else if (isStdio(file_name)) {
    // Standard output is no place to file a bulletin.
    return 0;
  } else if (act == APPEND || act == WRITE) {
    filed = output.open(file_name, act == APPEND ? "a" : "w");
  }
  // Written below the stream, whose buffer stays unused.
  fd = filed ? fileno(output.getFP()) : -1;
  return filed;
}

void Product::markStart()
{
  written = 0;
  pos = 0;
  // A kept output learns where the bulletin went once it is written.
  if (kept_in) {
    kept_in->begin(file_hint);
    return;
  }
  // Any other learns it from the write that carries its first bytes (send): the file may have
  // been cut back or added to by others since, up to that very write.
  if (fd >= 0 && act != PIPE) pos = -1;
}

int Product::write(const void* bytes, int n)
{
  if (fd < 0 || n <= 0) return 0;
  if (kept_in) {
    if (!kept_in->put(file_hint, bytes, n)) return 0;
    written += n;
    return 1;
  }
  if (buf_len + n > buf_size && n < buf_size / 2 && !flush()) return 0;
  if (buf_len + n <= buf_size) {
    std::memcpy(buf + buf_len, bytes, n);
    buf_len += n;
  } else {
    // Long runs (binary messages) go out in place, behind what the buffer holds.
    iovec iov[2] = {{buf, static_cast<size_t>(buf_len)}, {const_cast<void*>(bytes), size_t(n)}};
    if (!send(iov, 2)) return 0;
    buf_len = 0;
  }
  written += n;
  return 1;
}

bool Product::flush()
{
  if (fd < 0 || buf_len == 0) return true;
  iovec iov{buf, static_cast<size_t>(buf_len)};
  buf_len = 0;
  return send(&iov, 1);
}

// After an append the file offset is the end of what this write added, whoever else appends.
bool Product::send(iovec* iov, int count)
{
  size_t total = 0;
  for (int i = 0; i < count; i++) total += iov[i].iov_len;
  if (!wmo::writeAll(fd, iov, count)) return false;
  if (pos < 0 && total > 0) pos = std::max(lseek(fd, 0, SEEK_CUR) - static_cast<long>(total), 0L);
  return true;
}

int Product::writeIndex(const char* heading, const char* awips, wmo::OpenFiles* kept)
{
  if (!hdr_name[0] || !filed) return 0;
  // A '/' in the heading would end it early for the readers of the index.
  std::string& rest = index_rest;
  rest.assign(" ");
  rest.append(heading ? heading : "", heading ? strnlen(heading, FILE_SIZE - 1) : 0);
  std::replace(rest.begin(), rest.end(), '/', '-');
  rest.append(" / ");
  rest.append(awips ? awips : "");
  rest += '\n';
  // Readers see whole index lines only: written in one piece, or gathered with others; and
  // only once the bulletin itself is written.
  bool gathered = kept && hdr_name[0] != '|' && !isStdio(hdr_name);
  if (kept_from) {
    long start = kept_from->start(file_name, &file_hint);
    if (start < 0 && gathered &&
        kept_from->deferIndex(file_name, &file_hint, *kept, hdr_name, rest))
      return 1;
    pos = start >= 0 ? start : kept_from->settle(file_name, &file_hint);
  }
  std::string line;
  wmo::OpenFiles::indexLine(std::max(pos, 0L), rest, line);
  if (gathered)
    return kept->append(hdr_name, line.data(), static_cast<int>(line.size()), &hdr_hint);
  if (!header.open(hdr_name, "a")) return 0;
  iovec iov{line.data(), line.size()};
  int ok = wmo::writeAll(fileno(header.getFP()), &iov, 1);
  header.close();
  return ok;
}

void Product::rollback()
{
  if (fd < 0 || (act != APPEND && act != WRITE)) return;
  buf_len = 0;
  if (kept_in ? !kept_in->drop(file_hint) : pos >= 0 && ftruncate(fd, pos) != 0)
    Kol::outWarning("Product: cannot take back a partial bulletin in %s\n", file_name);
  written = 0;
  filed = false;
  closeOutput();
  if (act == WRITE) FileTool::remove(file_name);
}

void Product::endBulletin(bool newline, const void* last, int n, bool settle)
{
  n = last ? std::max(n, 0) : 0;
  if (kept_in) {
    if (!kept_in->put(file_hint, last, n) || !kept_in->put(file_hint, "\n", newline ? 1 : 0))
      Kol::outWarning("Product: cannot write a bulletin to %s\n", file_name);
    written += n;
    if (settle) pos = std::max(kept_in->settle(file_name, &file_hint), 0L);
  } else if (fd >= 0) {
    iovec iov[3] = {{buf, static_cast<size_t>(buf_len)},
                    {const_cast<void*>(last), static_cast<size_t>(n)},
                    {const_cast<char*>("\n"), newline ? 1u : 0u}};
    buf_len = 0;
    if (send(iov, 3))
      written += n;
    else
      Kol::outWarning("Product: cannot write a bulletin to %s\n", file_name);
  }
  closeOutput();
}

// A kept output stays open in its set.
void Product::closeOutput()
{
  if (!flush()) Kol::outWarning("Product: cannot write a bulletin to %s\n", file_name);
  if (kept_in) kept_in->release(file_name, &file_hint);
  fd = -1;
  kept_in = nullptr;
  buf = nullptr;
  buf_size = buf_len = 0;
  output.close();
}

void Product::clearBulletin()
{
  closeOutput();
  kept_from = nullptr;
  filed = false;
  written = pos = 0;
  file_name[0] = hdr_name[0] = 0;
}

void Product::print() const
{
  std::printf("%s %s %s\n", pattern, flags, file_tmpl);
  std::printf("act: %d raw: %d bin: %d pan: %d sel: %d off: %d pos: %d\n", act, raw, bin, pan, sel,
              off, static_cast<int>(pos));
}

}  // namespace KOL
