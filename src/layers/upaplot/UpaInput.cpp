#include "layers/upaplot/UpaInput.h"

#include <unistd.h>

#include <cstdlib>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaReports.h"

namespace KOL::upaplot {

namespace {

// Filed bulletins may be named by their date or a selector of their convention.
constexpr const char* FILED = "upa_wmo";

}  // namespace

UpaInput::~UpaInput()
{
  if (!temp_.empty()) unlink(temp_.c_str());
}

int UpaInput::decode(const char* program)
{
  ProgInput inputs(FILED);
  if (!inputs.setup()) return 0;
  UpaReports soundings;
  if (!inputs.forEach(
          [&](const ProgInput::Item& in) { return soundings.read(in.name.c_str(), in.date); }))
    return 0;
  soundings.locate(Kol::resrc.get("city_file"));
  if (!soundings.keepCommonDate()) {
    Kol::outError("%s: no TEMP or PILOT part found in the input\n", program);
    return 0;
  }
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(StrLib::valid(dir) ? dir : "/tmp") + "/kolupa_XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) close(fd), temp_ = pattern;
  if (fd < 0 || !soundings.write(temp_.c_str())) {
    Kol::outError("%s: cannot write a temporary upper-air file\n", program);
    return 0;
  }
  return 1;
}

int UpaInput::choose(const char* program, std::string& what)
{
  Strings inputs;
  if (const char* named = Kol::resrc.get("filename"); StrLib::valid(named)) inputs.set(named, '\n');
  const char* first = inputs.getNum() ? inputs.getString(0) : "la";
  what = first;
  // a selector such as "la" or "#2011052212", or the own file
  if (!FileTool::exist(first) || UpaKolFile::checkType(first)) return 1;
  if (!decode(program)) return 0;
  what = temp_;
  return 1;
}

}  // namespace KOL::upaplot
