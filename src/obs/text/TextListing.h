// The listing the text-product programs print: one JSON object a product, in one line, with
// the product's kind and the name of the file it came from.
#pragma once

#include <functional>
#include <string>

namespace KOL {

class JsonText;
class ProgInput;
class TextProduct;
class TextProductFile;

class TextListing {
 public:
  // Fills an open object with a product's fields; the kind ("warnings", "fronts", ...), or null
  // when nothing could be read from it.
  using Fill = std::function<const char*(const TextProduct&, JsonText&)>;

  // Every product of the file through fill; a product of which nothing can be read is
  // reported in one line ("<program>: ..."). The count listed; seen (when given) grows by the
  // count of products met, read or not.
  static int listProducts(const char* program, TextProductFile& file, const Fill& fill,
                          int* seen = nullptr);
  // Closes the object with "kind" and "file" (the path's last part) and prints it.
  static void write(JsonText& j, const char* kind, const std::string& path);

  // Lists one input file: 0 when it cannot be read; listed and seen grow as listProducts says.
  using FileLister = std::function<int(const std::string& path, int& listed, int& seen)>;
  // The lister that sends every product of a file through fill.
  static FileLister byProduct(const char* program, Fill fill);
  // The listing form of a program: every input through each, then the exit status (failure
  // when an input could not be read or nothing was listed; "no <what> found" when none was met).
  static int listInputs(const char* program, const char* what, const ProgInput& inputs,
                        const FileLister& each);
};

}  // namespace KOL
