// TEMP and PILOT parts, the merge and the own upper-air file from arbitrary bytes: every part
// word is tried on the text, the record merged and written, the text read as an own-file record
// and cut into parts as a bulletin file, without reading outside the text or failing.
#include <cstdint>
#include <cstdio>
#include <string>

#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/upa/PartCutter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::UpaRawinData r;
  r.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  KOL::UpaTool::decode(text, r);
  // The same groups under each part word.
  for (int type = KOL::UpaWmoData::TTAA; type <= KOL::UpaWmoData::IIDD; ++type)
    KOL::UpaTool::decode(std::string(KOL::UpaWmoData::typeName(type)) + " " + text, r);
  r.sort();
  KOL::UpaData d;
  KOL::UpaTool::merge(r, d);
  KOL::UpaLevel l;
  d.interp(5, 500, l);
  d.interp(6, 5000, l);
  d.interp(7, 300, l);
  std::string record = KOL::UpaKolFile::formatRecord(r);
  KOL::UpaRawinData back;
  KOL::UpaKolFile::parseRecord(record, 5, back);
  for (int version = 3; version <= 5; ++version) KOL::UpaKolFile::parseRecord(text, version, back);
  // The text as lines of a bulletin file.
  KOL::upa::PartCutter cutter;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    cutter.line(std::string_view(text).substr(start, end - start));
  cutter.line(std::string_view(text).substr(start));
  cutter.flush();
  while (cutter.ready()) KOL::UpaTool::partKey(cutter.take().text);
  float a, b;
  KOL::UpaKolFile::decodePH(text, a, b);
  KOL::UpaKolFile::decodeTD(text, a, b);
  KOL::UpaKolFile::decodeWD(text, a, b);
  return 0;
}
