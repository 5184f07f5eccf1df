#include "obs/text/Vtec.h"

#include <cstdio>

#include "obs/text/TextTool.h"

namespace KOL {

namespace {

bool upperAt(std::string_view s, size_t from, size_t n)
{
  for (size_t i = from; i < from + n; ++i)
    if (s[i] < 'A' || s[i] > 'Z') return false;
  return true;
}

bool timeAt(std::string_view s, size_t at)
{
  return TextTool::isDigits(s.substr(at, 6)) && s[at + 6] == 'T' &&
         TextTool::isDigits(s.substr(at + 7, 4)) && s[at + 11] == 'Z';
}

}  // namespace

void Vtec::init()
{
  raw.clear();
  product_class = significance = ' ';
  action.clear();
  office.clear();
  phenomena.clear();
  etn = 0;
  begin.clear();
  end.clear();
}

int Vtec::parse(std::string_view text)
{
  init();
  text = TextTool::trim(text);
  // /O.NEW.KDMX.TO.W.0001.YYMMDDTHHMMZ-YYMMDDTHHMMZ/ is 48 characters.
  constexpr size_t SIZE = 48;
  if (text.size() < SIZE) return 0;
  std::string_view s = text.substr(0, SIZE);
  if (s[0] != '/' || s[47] != '/' || s[2] != '.' || s[6] != '.' || s[11] != '.' || s[14] != '.' ||
      s[16] != '.' || s[21] != '.' || s[34] != '-')
    return 0;
  if (!upperAt(s, 1, 1) || !upperAt(s, 3, 3) || !upperAt(s, 12, 2) || !upperAt(s, 15, 1)) return 0;
  if (!TextTool::isDigits(s.substr(17, 4)) || !timeAt(s, 22) || !timeAt(s, 35)) return 0;
  for (char c : s.substr(7, 4))
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return 0;
  raw = s;
  product_class = s[1];
  action = s.substr(3, 3);
  office = s.substr(7, 4);
  phenomena = s.substr(12, 2);
  significance = s[15];
  etn = TextTool::intOr(s.substr(17, 4));
  begin = s.substr(22, 12);
  end = s.substr(35, 12);
  return 1;
}

std::string Vtec::eventKey() const
{
  // The key is the code's own text from the office to the number.
  return raw.size() >= 21 ? raw.substr(7, 14) : std::string();
}

int Vtec::year() const
{
  for (const std::string& t : {begin, end})
    if (t.size() >= 2 && t.compare(0, 6, "000000") != 0) {
      const int yy = TextTool::intOr(std::string_view(t).substr(0, 2));
      if (yy >= 0) return yy < 70 ? 2000 + yy : 1900 + yy;
    }
  return 0;
}

std::string Vtec::isoTime(std::string_view t)
{
  if (t.size() < 11 || t.substr(0, 6) == "000000") return {};
  int yy = TextTool::intOr(t.substr(0, 2)), mm = TextTool::intOr(t.substr(2, 2));
  int dd = TextTool::intOr(t.substr(4, 2)), hh = TextTool::intOr(t.substr(7, 2));
  int mi = TextTool::intOr(t.substr(9, 2));
  if (yy < 0 || mm < 1 || mm > 12 || dd < 1 || dd > 31 || hh < 0 || mi < 0) return {};
  return TextTool::iso(yy < 70 ? 2000 + yy : 1900 + yy, mm, dd, hh, mi);
}

std::time_t Vtec::seconds(std::string_view t)
{
  if (t.size() < 11 || t.substr(0, 6) == "000000") return -1;
  int yy = TextTool::intOr(t.substr(0, 2)), mm = TextTool::intOr(t.substr(2, 2));
  int dd = TextTool::intOr(t.substr(4, 2)), hh = TextTool::intOr(t.substr(7, 2));
  int mi = TextTool::intOr(t.substr(9, 2));
  if (yy < 0 || mm < 1 || mm > 12 || dd < 1 || dd > 31 || hh < 0 || mi < 0) return -1;
  std::tm u{};
  u.tm_year = (yy < 70 ? 2000 + yy : 1900 + yy) - 1900;
  u.tm_mon = mm - 1;
  u.tm_mday = dd;
  u.tm_hour = hh;
  u.tm_min = mi;
  return timegm(&u);
}

void Vtec::print() const { std::printf("%s\n", raw.c_str()); }

}  // namespace KOL
