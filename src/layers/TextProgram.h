// What the programs of a forecast office's text products (warnings, fronts, MOS) share: their
// options, and a run that lists the products as JSON (-li) or draws them (-ou, -de).
#pragma once

#include <functional>
#include <string>

#include "obs/text/TextListing.h"

namespace KOL {

class ProgInput;
class ResrcDBList;

class TextProgram {
 public:
  struct Texts {
    const char* program;     // "kolwarn"
    const char* what;        // "product": what the inputs hold, for messages
    const char* drawn;       // "warnings": what a picture shows, for the -ou help
    const char* keys;        // the -pa help
    const char* dateHelp;    // the -da help
    const char* convention;  // the naming convention of the inputs
  };
  using Draw = std::function<int(const ProgInput& inputs, const std::string& image)>;

  explicit TextProgram(const Texts& t) : t(t) {}
  // The option lists borrow this object's texts: it must outlive them.
  void declareOptions(ResrcDBList& keyed, ResrcDBList& positional);
  // The program's exit status after its options are read.
  int run(const TextListing::FileLister& list, const Draw& draw) const;

 private:
  Texts t;
  std::string env[3], help[3];
};

}  // namespace KOL
