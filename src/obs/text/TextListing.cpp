#include "obs/text/TextListing.h"

#include <cstdio>

#include "core/Kol.h"
#include "core/ProgInput.h"
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

TextListing::FileLister TextListing::byProduct(const char* program, Fill fill)
{
  return [program, fill](const std::string& path, int& listed, int& seen) {
    TextProductFile f;
    if (!f.open(path.c_str())) return 0;
    listed += listProducts(program, f, fill, &seen);
    return 1;
  };
}

int TextListing::listInputs(const char* program, const char* what, const ProgInput& inputs,
                            const FileLister& each)
{
  int listed = 0, seen = 0;
  const int ok =
      inputs.forEach([&](const ProgInput::Item& in) { return each(in.name, listed, seen); });
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("%s: cannot write the output\n", program);
    return Kol::FAILURE;
  }
  // a product that could not be read was said already
  if (ok && !seen) Kol::outWarning("%s: no %s found in the input\n", program, what);
  if (ok && !listed) return Kol::FAILURE;
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}

}  // namespace KOL
