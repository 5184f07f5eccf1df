#include "obs/text/HydroVtec.h"

#include <cstdio>

#include "obs/text/TextTool.h"

namespace KOL {

namespace {

bool vtecTime(std::string_view t)
{
  return t.size() == 12 && TextTool::isDigits(t.substr(0, 6)) && t[6] == 'T' &&
         TextTool::isDigits(t.substr(7, 4)) && t[11] == 'Z';
}

}  // namespace

void HydroVtec::init()
{
  raw.clear();
  nwsli.clear();
  severity.clear();
  cause.clear();
  begin.clear();
  crest.clear();
  end.clear();
  record.clear();
}

int HydroVtec::parse(std::string_view text)
{
  init();
  text = TextTool::trim(text);
  if (text.size() < 2 || text[0] != '/') return 0;
  size_t close = text.find('/', 1);
  if (close == std::string_view::npos) return 0;
  std::string_view body = text.substr(1, close - 1);
  std::string_view f[7];
  size_t n = 0, at = 0;
  while (n < 7) {
    size_t dot = body.find('.', at);
    f[n++] = body.substr(at, dot - at);
    if (dot == std::string_view::npos) break;
    at = dot + 1;
  }
  if (n != 7 || at == 0 || body.find('.', at) != std::string_view::npos) return 0;
  if (f[0].size() != 5 || f[1].size() != 1 || f[2].size() != 2 || f[6].size() != 2) return 0;
  if (!vtecTime(f[3]) || !vtecTime(f[4]) || !vtecTime(f[5])) return 0;
  raw = text.substr(0, close + 1);
  nwsli = f[0];
  severity = f[1];
  cause = f[2];
  begin = f[3];
  crest = f[4];
  end = f[5];
  record = f[6];
  return 1;
}

void HydroVtec::print() const { std::printf("%s\n", raw.c_str()); }

}  // namespace KOL
