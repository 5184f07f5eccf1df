#include "core/Message.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/Strings.h"
#include "core/text/Format.h"

namespace KOL {

namespace {

constexpr int DEFAULT_PAGE = 22;

struct Group {
  const char* word;
  uint64_t bits;
};

const Group groups[] = {{"print", 0xF},     {"error", 0x30},     {"warn", 0xC0},
                        {"mess", 0xF00},    {"out1", 0xF000},    {"out2", 0xF0000},
                        {"out3", 0xF00000}, {"out4", 0xF000000}, {"debug", 0xF0000000},
                        {"none", 0}};

// The one bit of each four-bit group that the letters a to d keep.
const uint64_t letter_bits[] = {0x11111111, 0x22222222, 0x44444444, 0x88888888};

bool groupBits(const std::string& word, uint64_t& bits)
{
  for (const auto& g : groups)
    if (word == g.word) {
      bits = g.bits;
      return true;
    }
  return false;
}

uint64_t withLowerBits(uint64_t bits)
{
  if (!bits) return 0;
  uint64_t high = uint64_t(1) << (63 - __builtin_clzll(bits));
  return bits | (high - 1);
}

}  // namespace

Message::Message(const char* spec)
{
  init();
  set(spec);
}

void Message::init()
{
  mask = DEFAULT_MASK;
  count = 0;
  mode = BOTH;
  page_mode = TERMINAL_PAGING;
  lines = 0;
  page_length = DEFAULT_PAGE;
  primary.close();
  log.close();
  deferred.clear();
}

int Message::set(uint64_t m)
{
  mask = m;
  count++;
  return 1;
}

int Message::set(const char* spec)
{
  if (!spec) return 0;
  count++;
  Strings items(spec, ',');
  int ok = 1;
  for (int i = 0; i < items.getNum(); i++)
    if (items.valid(i) && !setItem(items.getString(i))) ok = 0;
  return ok;
}

int Message::openLog(const char* name, const char* how, int new_mode)
{
  log.close();
  mode = new_mode;
  if (new_mode == DEFERRED) return deferred.copy(name);
  if (!log.open(name, how)) {
    Kol::outWarning("Message: cannot open log file: %s\n", name);
    return 0;
  }
  return 1;
}

int Message::setItem(const char* item)
{
  // Log items: a key, one separator character, the file name.
  struct LogKey {
    const char* key;
    const char* how;
    int mode;
  } keys[] = {{"@fi", "a", DATED},
              {"+fi", "a", BOTH},
              {"-fi", "w", BOTH},
              {"dfi", "a", DEFERRED},
              {"fi", "a", LOG_ONLY}};
  for (const auto& k : keys) {
    size_t n = std::strlen(k.key);
    if (std::strncmp(item, k.key, n) == 0 && item[n] && item[n + 1])
      return openLog(item + n + 1, k.how, k.mode);
  }
  if (std::strcmp(item, "nopage") == 0) {
    page_mode = NO_PAGING;
    return 1;
  }
  if (std::strcmp(item, "page") == 0) {
    page_mode = PAGING;
    return 1;
  }
  if (std::strncmp(item, "line", 4) == 0 && item[4]) {
    int n = 0;
    if (std::sscanf(item + 5, "%9d", &n) != 1 || n < 1) n = DEFAULT_PAGE;
    page_length = n;
    return 1;
  }
  return setLevel(item);
}

int Message::setLevel(const char* item)
{
  char sign = *item == '+' || *item == '-' ? *item++ : 0;
  std::string word(item);
  uint64_t bits = 0;
  bool letter = false;
  if (!groupBits(word, bits)) {
    char last = word.empty() ? 0 : word.back();
    if (last) word.pop_back();
    if (last < 'a' || last > 'd' || !groupBits(word, bits)) {
      Kol::outWarning("Message: unknown message level: %s\n", item);
      return 0;
    }
    bits &= letter_bits[last - 'a'];
    letter = true;
  }
  if (sign == '+')
    mask |= bits;
  else if (sign == '-')
    mask &= ~bits;
  else
    mask = letter ? bits : withLowerBits(bits);  // a lettered level is exactly its bits
  return 1;
}

int Message::setPageLength(int n)
{
  if (n < 0) return 0;
  page_length = n;
  return 1;
}

int Message::setPrimary(const char* name)
{
  primary.close();
  return primary.open(name, "a");
}

bool Message::paging() const
{
  if (page_mode == PAGING) return true;
  return page_mode == TERMINAL_PAGING && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

int Message::hold(uint64_t bits, const char* text)
{
  bool err = (bits & ERROR_BITS) && (bits & WARN_BITS);
  std::fputs(text ? text : "", err ? stderr : stdout);
  std::fflush(err ? stderr : stdout);
  (void)std::getchar();
  lines = 0;
  return 1;
}

void Message::countLines(uint64_t bits, const char* fmt)
{
  if (!paging() || page_length <= 0) return;
  for (const char* p = fmt; *p; p++)
    if (*p == '\n') lines++;
  if (lines > page_length) hold(bits, "Press return to continue\n");
}

int Message::print(uint64_t bits, const char* fmt, ...)
{
  if (!check(bits) || !fmt) return 0;
  va_list ap;
  va_start(ap, fmt);
  std::string text = text::vformat(fmt, ap);
  va_end(ap);

  if (primary.isOpen()) primary.write(text.data(), (int)text.size());
  if (mode == DEFERRED && deferred.valid()) log.open(deferred.get(), "a");
  if (log.isOpen()) {
    if (mode == DATED) {
      String now;
      DateTool::getCurrent(now);
      log.printf("%s -- ", now.get());
    }
    log.write(text.data(), (int)text.size());
    if (mode == DEFERRED)
      log.close();
    else if (FILE* fp = log.getFP())
      std::fflush(fp);
  }
  if (mode == LOG_ONLY) return 0;
  bool err = (bits & ERROR_BITS) && (bits & WARN_BITS);
  std::fputs(text.c_str(), err ? stderr : stdout);
  countLines(bits, fmt);
  return 1;
}

void Message::printProgramInfo(const char* name)
{
  if (mask & MESS_BITS) std::printf("      %s (Ver %s)\n\n", name ? name : "", Kol::getVersion());
}

}  // namespace KOL
