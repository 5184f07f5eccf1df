#include "core/ProgInput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/FileTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/NameConv.h"
#include "core/ReportDateTool.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "core/Strings.h"

namespace KOL {

void ProgInput::addDateOption(ResrcDBList& keyed, const char* near)
{
  // The help texts are borrowed by the list, so each kind of input has its own literal.
  keyed.add("date", "koldate", "da", near);
}

ProgInput::ProgInput(const char* conv) : conv(StrLib::valid(conv) ? conv : "") {}

bool ProgInput::takeFlag(const char* name)
{
  Resrc& r = Kol::resrc;
  const char* value = r.get(name);
  if (!value) return false;
  if (*value && strcasecmp(value, "true") != 0 && strcmp(value, "1") != 0) {
    const char* named = r.get("filename");
    r.set("filename",
          (std::string(value) + (named && *named ? "\n" : "") + (named ? named : "")).c_str());
  }
  return true;
}

int ProgInput::getDate(Date& d)
{
  d.init();
  const char* date = Kol::resrc.get("date");
  if (!StrLib::valid(date)) return 1;
  const char* digits = date[0] == '#' ? date + 1 : date;
  if (!StrLib::isDigit(digits[0]) && !StrLib::equal(date, "cu", 2)) {
    Kol::outError("%s: unreadable date %s (give yyyymmddhhmm)\n", Kol::getProgramName(), date);
    return 0;
  }
  return d.set(date);  // a day that does not exist is named by Date itself
}

int ProgInput::setup(const char* fallback)
{
  items.clear();
  if (!getDate(given)) return 0;
  const char* named = Kol::resrc.get("filename");
  if (!StrLib::valid(named)) named = fallback;
  if (!StrLib::valid(named)) return 1;
  Strings names;
  names.set(named, '\n');
  for (int i = 0; i < names.getNum(); ++i)
    if (const char* n = names.getString(i); StrLib::valid(n)) items.push_back(resolve(n));
  return 1;
}

ProgInput::Item ProgInput::resolve(const std::string& arg) const
{
  Item item{arg, given};
  Date found;
  if (!conv.empty() && !FileTool::isStdio(arg.c_str())) {
    if (FileTool::exist(arg.c_str())) {
      // A file keeps its name; one that fits the convention also tells its date.
      NameConv nc(conv.c_str());
      if (nc.hasTemplate() && nc.decode(arg.c_str())) nc.getDate(found);
    } else {
      Filename f;
      f.setNameConv(conv.c_str());
      f.checkFile(arg.c_str());
      item.name = f.getName();
      f.getDate(found);
    }
  }
  if (!item.date.isSet()) {
    // A name may give no more than a day: the rest of the date is the day's start. A name
    // the convention does not fit may still carry a date ("metar_20190701_1200.txt").
    if (found.getYear() != Const::MISS) {
      found.fix();
      item.date = found;
    } else if (!FileTool::isStdio(item.name.c_str())) {
      ReportDateTool::fromName(item.name.c_str(), item.date);
    }
  }
  return item;
}

// A file that cannot be read is said once, here, with the reason, rather than by every reader
// the program tries on it.
bool ProgInput::readable(const Item& item)
{
  const char* name = item.name.c_str();
  if (FileTool::isStdio(name) || StrLib::equal(name, "sock:", 5) || std::strstr(name, "://"))
    return true;
  struct stat st {};
  const char* problem = nullptr;
  if (stat(name, &st) != 0 || access(name, R_OK) != 0)
    problem = std::strerror(errno);
  else if (S_ISDIR(st.st_mode))
    problem = "a directory";
  if (!problem) return true;
  Kol::outError("%s: cannot open %s (%s)\n", Kol::getProgramName(), name, problem);
  return false;
}

int ProgInput::forEach(const std::function<int(const Item&)>& each) const
{
  int ok = 1;
  for (const Item& item : items) ok = readable(item) && each(item) && ok;
  return ok;
}

}  // namespace KOL
