// kolfront: reads WPC coded surface bulletins (fronts and pressure centres) from filed
// bulletins (named as files or by a date or selector of their convention) or plain files, and
// lists what was read, one JSON object a bulletin (-li).
#include <cstdio>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "obs/text/FrontBulletin.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "frt_dat";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  keyed.add("list", "kolfrontlist", "li",
            "-li         List the bulletins read, one JSON object each");
  ProgInput::addDateOption(keyed, "-da date     Date of the bulletins (default: by the file name)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

const char* fill(const TextProduct& p, JsonText& j)
{
  FrontBulletin b;
  if (!b.parse(p)) return nullptr;
  b.jsonFields(j);
  return "fronts";
}

int listFile(const ProgInput::Item& in)
{
  TextProductFile f;
  if (!f.open(in.name.c_str())) return 0;
  TextListing::listProducts("kolfront", f, fill);
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
    Kol::outError("kolfront: give -li to list the bulletins (maps come with the front layer)\n");
    return Kol::USAGE;
  }
  const int ok = inputs.forEach(listFile);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolfront: cannot write the output\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
