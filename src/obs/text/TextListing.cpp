#include "obs/text/TextListing.h"

#include <cstdio>

#include "core/Kol.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextProduct.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

int TextListing::listProducts(const char* program, TextProductFile& file, const Fill& fill,
                              int* seen)
{
  TextProduct p;
  int listed = 0;
  while (file.read(p)) {
    if (seen) ++*seen;
    JsonText j;
    j.beginObject();
    if (const char* kind = fill(p, j)) {
      write(j, kind, file.getName());
      ++listed;
    } else {
      Kol::outWarning("%s: nothing readable in the product at byte %ld of %s\n", program, p.offset,
                      file.getName().c_str());
    }
  }
  return listed;
}

void TextListing::write(JsonText& j, const char* kind, const std::string& path)
{
  size_t slash = path.rfind('/');
  j.key("kind").value(kind).key("file").value(slash == std::string::npos ? path
                                                                         : path.substr(slash + 1));
  j.endObject();
  std::printf("%s\n", j.text().c_str());
}

}  // namespace KOL
