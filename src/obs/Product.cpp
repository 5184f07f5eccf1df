#include "obs/Product.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The next white-space separated word of s into out (cut at size - 1); the rest after it.
const char* nextWord(const char* s, char* out, int size)
{
  while (*s && StrLib::isSpace(static_cast<unsigned char>(*s))) s++;
  const char* start = s;
  while (*s && !StrLib::isSpace(static_cast<unsigned char>(*s))) s++;
  StrLib::copy(out, size, start, static_cast<int>(s - start));
  return s;
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
  out = nullptr;
  kept_in = nullptr;
  last_file.clear();
  last_hdr.clear();
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

  char tail[FILE_SIZE];
  while (*rest && StrLib::isSpace(static_cast<unsigned char>(*rest))) rest++;
  StrLib::copy(tail, sizeof tail, rest);
  StrLib::trimWS(tail);
  if (act == PIPE || act == RUN) {
    StrLib::copy(file_tmpl, FILE_SIZE, tail);
  } else if (act != IGNORE) {
    const char* more = nextWord(tail, file_tmpl, FILE_SIZE);
    nextWord(more, hdr_tmpl, HEADER_SIZE);
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
  // Two rules appending one bulletin to the same file each get a stream of their own.
  if (kept && act == APPEND && file_name[0] != '|' && !FileTool::isStdio(file_name) &&
      (out = kept->take(file_name))) {
    kept_in = kept;
    filed = true;
    return 1;
  }
  if (act == PIPE) {
    filed = output.open(file_name, "pw");
  } else if (FileTool::isStdio(file_name)) {
    // Standard output is no place to file a bulletin.
    return 0;
  } else if (act == APPEND || act == WRITE) {
    filed = output.open(file_name, act == APPEND ? "a" : "w");
  }
  if (filed && buffer && size > 0) std::setvbuf(output.getFP(), buffer, _IOFBF, size);
  if (filed) out = output.getFP();
  return filed;
}

void Product::markStart()
{
  written = 0;
  pos = 0;
  // A kept output may have been cut back or added to by others since its last bulletin.
  if (kept_in && std::fseek(out, 0, SEEK_END) == 0) pos = std::ftell(out);
  if (!kept_in && act != PIPE && output.isOpen()) pos = output.tell();
  if (pos < 0) pos = 0;
}

int Product::write(const void* bytes, int n)
{
  if (!out || n <= 0) return 0;
  int done = kept_in ? static_cast<int>(std::fwrite(bytes, 1, n, out)) : output.write(bytes, n);
  if (done > 0) written += done;
  return done == n ? 1 : 0;
}

int Product::writeIndex(const char* heading, const char* awips, wmo::OpenFiles* kept)
{
  if (!hdr_name[0] || !filed) return 0;
  bool keep = kept && hdr_name[0] != '|' && !FileTool::isStdio(hdr_name);
  std::FILE* fp = keep ? kept->get(hdr_name) : nullptr;
  if (!keep) {
    if (!header.open(hdr_name, "a")) return 0;
    // One line: written at once, without a buffer to set up.
    std::setvbuf(header.getFP(), nullptr, _IONBF, 0);
    fp = header.getFP();
  }
  if (!fp) return 0;
  // A '/' in the heading would end it early for the readers of the index.
  char h[FILE_SIZE];
  StrLib::copy(h, sizeof h, heading);
  StrLib::replace(h, '/', '-');
  int ok = std::fprintf(fp, "%7ld %s / %s\n", pos, h, awips) > 0;
  // Readers see whole index lines only.
  if (keep) ok = std::fflush(fp) == 0 && ok;
  header.close();
  return ok;
}

void Product::rollback()
{
  if (!out || (act != APPEND && act != WRITE)) return;
  std::fflush(out);
  if (ftruncate(fileno(out), pos) != 0)
    Kol::outWarning("Product: cannot take back a partial bulletin in %s\n", file_name);
  written = 0;
  filed = false;
  closeOutput();
  if (act == WRITE) FileTool::remove(file_name);
}

void Product::endBulletin(bool newline)
{
  if (newline && kept_in) std::fputc('\n', out);
  if (newline && !kept_in && out) output.write("\n", 1);
  if (kept_in && std::fflush(out) != 0)
    Kol::outWarning("Product: cannot write a bulletin to %s\n", file_name);
  closeOutput();
}

// A kept output stays open in its set.
void Product::closeOutput()
{
  if (kept_in) kept_in->release(file_name);
  out = nullptr;
  kept_in = nullptr;
  output.close();
}

void Product::releaseKept(wmo::OpenFiles& outputs, wmo::OpenFiles& indexes)
{
  if (!last_file.empty() && last_file != file_name) outputs.close(last_file.c_str());
  if (!last_hdr.empty() && last_hdr != hdr_name) indexes.close(last_hdr.c_str());
  last_file = file_name;
  last_hdr = hdr_name;
}

void Product::clearBulletin()
{
  closeOutput();
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
