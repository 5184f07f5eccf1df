// kolwarn: reads warnings, watches and tropical cyclone products from filed bulletins (named as
// files or by a date or selector of their convention) or plain files, and lists what was read,
// one JSON object a product (-li).
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "obs/text/BestTrack.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/TropicalProduct.h"
#include "obs/text/WarnProduct.h"
#include "obs/text/WatchProduct.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "sev_txt";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  keyed.add("list", "kolwarnlist", "li",
            "-li         List the products read, one JSON object each");
  ProgInput::addDateOption(keyed, "-da date     Date of the products (default: by the file name)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

// A product in its kind's listing form; null when nothing could be read from it.
const char* fill(const TextProduct& p, JsonText& j)
{
  if (WatchProduct::isWatch(p)) {
    WatchProduct w;
    if (!w.parse(p)) return nullptr;
    w.jsonFields(j);
    return "watches";
  }
  if (TropicalProduct::isTropical(p)) {
    TropicalProduct t;
    if (!t.parse(p)) return nullptr;
    t.jsonFields(j);
    return "tropical";
  }
  WarnProduct w;
  if (!w.parse(p)) return nullptr;
  w.jsonFields(j);
  return "warnings";
}

int listFile(const ProgInput::Item& in)
{
  TextProductFile f;
  if (!f.open(in.name.c_str())) return 0;
  BestTrack track;
  if (track.parse(f.getText())) {
    JsonText j;
    j.beginObject();
    track.jsonFields(j);
    TextListing::write(j, "tropical", in.name);
    return 1;
  }
  TextListing::listProducts("kolwarn", f, fill);
  return 1;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  const bool listing = ProgInput::takeFlag("list");
  ProgInput inputs(CONVENTION);
  if (!inputs.setup()) return Kol::USAGE;
  if (!listing) {
    Kol::outError("kolwarn: give -li to list the products (maps come with the warning layer)\n");
    return Kol::USAGE;
  }
  const int ok = inputs.forEach(listFile);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolwarn: cannot write the output\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
