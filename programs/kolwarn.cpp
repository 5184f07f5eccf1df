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

std::string baseName(const std::string& path)
{
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void emit(JsonText& j, const char* kind, const std::string& file)
{
  j.key("kind").value(kind).key("file").value(file).endObject();
  std::printf("%s\n", j.text().c_str());
}

// One product in its kind's listing form; 0 when nothing could be read from it.
int listProduct(const TextProduct& p, const std::string& file)
{
  JsonText j;
  j.beginObject();
  if (WatchProduct::isWatch(p)) {
    WatchProduct w;
    if (!w.parse(p)) return 0;
    w.jsonFields(j);
    emit(j, "watches", file);
    return 1;
  }
  if (TropicalProduct::isTropical(p)) {
    TropicalProduct t;
    if (!t.parse(p)) return 0;
    t.jsonFields(j);
    emit(j, "tropical", file);
    return 1;
  }
  WarnProduct w;
  if (!w.parse(p)) return 0;
  w.jsonFields(j);
  emit(j, "warnings", file);
  return 1;
}

int listFile(const ProgInput::Item& in)
{
  const std::string file = baseName(in.name);
  TextProductFile f;
  if (!f.open(in.name.c_str())) return 0;
  BestTrack track;
  if (track.parse(f.getText())) {
    JsonText j;
    j.beginObject();
    track.jsonFields(j);
    emit(j, "tropical", file);
    return 1;
  }
  TextProduct p;
  int listed = 0;
  while (f.read(p)) {
    if (listProduct(p, file))
      ++listed;
    else
      Kol::outWarning("kolwarn: nothing readable in the product at byte %ld of %s\n", p.offset,
                      in.name.c_str());
  }
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
