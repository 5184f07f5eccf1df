// kolbufr: lists the BUFR messages of files (raw messages or filed bulletins), one line each,
// or dumps the subsets of the messages as text or CSV.
//   kolbufr FILE...                      number offset edition centre category date subsets ...
//   kolbufr -out=text [-msg=N] FILE...   every row of every subset, with units and names
//   kolbufr -out=csv [-msg=N] FILE...    message,subset,index,descriptor,value,unit
// In a dump the rows of a subset are in bit-stream order; an associated field (2-04) is a row
// 999999 right after its element, quality and statistical values (2-22 to 2-25) follow theirs,
// 2-05 characters are a row under the operator; a missing value is empty.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"

using namespace KOL;

namespace {

enum Out { LIST, TEXT, CSV };

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("msg", "kolbufrmsg", "ms", "-ms N        Only the N-th message (from 1) of each file");
  keyed.add("out", "kolbufrout", "ou",
            "-ou kind     list (default, one line a message), text or csv (every row of\n"
            "             every subset)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

void listLine(int number, size_t offset, const BufrMessage& m)
{
  std::printf(
      "%d %zu ed%d centre %d/%d cat %d/%d/%d tables %d/%d %04d-%02d-%02d %02d:%02d:%02d "
      "subsets %d/%d%s [%s]",
      number, offset, m.edition, m.centre, m.subCentre, m.category, m.intlSubCategory,
      m.subCategory, m.masterVersion, m.localVersion, m.year, m.month, m.day, m.hour, m.minute,
      m.second, m.decodedSubsets(), m.numSubsets, m.compressed ? " C" : "", m.heading);
  const size_t shown = m.descriptors.size() < 8 ? m.descriptors.size() : 8;
  for (size_t k = 0; k < shown; k++) std::printf(" %06d", m.descriptors[k]);
  std::printf("%s\n", shown < m.descriptors.size() ? " ..." : "");
}

// The value of a row as the dump writes it: empty when missing.
std::string valueText(const BufrMessage& m, const BufrMessage::Item& it, bool csv)
{
  if (it.missing) return {};
  if (it.text) {
    std::string t(m.text(it));
    while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.pop_back();
    if (!csv || t.find_first_of(",\"\n") == std::string::npos) return t;
    std::string q = "\"";
    for (char c : t) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12g", it.value);
  return buf;
}

const char* unitOf(const BufrMessage& m, int descriptor)
{
  if (descriptor / 100000 == 2 && descriptor / 1000 % 100 == 5) return "CCITT IA5";
  const BufrTable::Element* e = m.element(descriptor);
  return e ? e->unit.c_str() : "";
}

void dump(int number, const BufrMessage& m, Out out)
{
  for (int s = 0; s < m.decodedSubsets(); s++) {
    const auto& rows = m.items(s);
    if (out == TEXT) std::printf("message %d subset %d\n", number, s + 1);
    for (size_t k = 0; k < rows.size(); k++) {
      const BufrMessage::Item& it = rows[k];
      const std::string value = valueText(m, it, out == CSV);
      if (out == CSV) {
        std::printf("%d,%d,%zu,%06d,%s,%s\n", number, s + 1, k + 1, it.descriptor, value.c_str(),
                    unitOf(m, it.descriptor));
        continue;
      }
      const BufrTable::Element* e = m.element(it.descriptor);
      std::string_view meaning;
      if (e && !it.missing && e->kind == BufrTable::CODE && m.table())
        meaning = m.table()->meaning(it.descriptor, static_cast<int>(it.value));
      std::printf("%5zu %s%06d %s %s %s%s%.*s\n", k + 1, it.parent >= 0 ? "  " : "", it.descriptor,
                  value.empty() ? "-" : value.c_str(), unitOf(m, it.descriptor),
                  e                                          ? e->name.c_str()
                  : it.descriptor == BufrMessage::ASSOCIATED ? "Associated field"
                                                             : "",
                  meaning.empty() ? "" : ": ", static_cast<int>(meaning.size()), meaning.data());
    }
  }
}

int readFile(const char* name, Out out, int only)
{
  BufrFile file;
  if (!file.open(name)) return 0;
  BufrMessage m;
  int number = 0;
  while (file.read(m)) {
    number++;
    if (only && number != only) continue;
    if (out == LIST)
      listLine(number, file.getOffset(), m);
    else
      dump(number, m, out);
  }
  if (number == 0) Kol::outWarning("kolbufr: no BUFR message in %s\n", name);
  return number > 0;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  const std::string kind = r.get("out", "list");
  const Out out = kind.rfind("csv", 0) == 0 ? CSV : kind.rfind("te", 0) == 0 ? TEXT : LIST;
  if (out == LIST && kind.rfind("li", 0) != 0) {
    Kol::outError("kolbufr: unknown output kind %s\n", kind.c_str());
    return Kol::USAGE;
  }
  const int only = std::atoi(r.get("msg", "0"));
  if (out == CSV) std::printf("message,subset,index,descriptor,value,unit\n");
  ProgInput inputs;
  if (!inputs.setup(nullptr)) return Kol::USAGE;
  const int ok = inputs.forEach(
      [out, only](const ProgInput::Item& in) { return readFile(in.name.c_str(), out, only); });
  if (std::fflush(stdout) != 0) return Kol::FAILURE;
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
