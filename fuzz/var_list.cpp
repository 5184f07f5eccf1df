// Variable lists, specs and names from arbitrary bytes: decoding, printing and the
// codes of whatever was decoded must stay within bounds. No name table is read (the database
// directory is left unset), so only the text handling is exercised.
#include <cstdint>
#include <string>

#include "core/String.h"
#include "grid/GridSpec.h"
#include "layers/VarList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::VarList list;
  list.decode(text.c_str());
  KOL::String out(4);
  for (int i = 0; i < list.getNum(); ++i) {
    list.getString(i, out);
    KOL::GridSpec key;
    list.get(i, key);
    (void)list.isFillContour(i);
  }
  KOL::VarSpec spec(text.c_str());
  spec.toString(out);
  spec.toInfoLabel(out);
  KOL::Variable var(text.c_str());
  var.setInd(static_cast<int>(size));
  var.toAbbrCode(out);
  var.toLabel(out);
  var.toString(out);
  (void)var.toIndCode();
  KOL::GridSpec key(text.c_str());
  return 0;
}
