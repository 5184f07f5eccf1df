// One product found in the header index of filed bulletins: which file of the list holds it,
// its heading and product identifier, where it starts, and room for its text.
#pragma once

#include "core/Buffer.h"
#include "core/Filename.h"

namespace KOL {

class WmoProduct : public Filename {
 public:
  static constexpr int TEXT_SIZE = 80;

  WmoProduct() { init(); }

  void init();
  void set(int file_index, const char* heading, const char* awips, long offset);
  int getFileInd() const { return file_ind; }
  const char* getHeading() const { return heading; }
  const char* getAwip() const { return awips; }
  long getOffset() const { return offset; }
  Buffer& getBuffer() { return text; }
  void print() const;

 private:
  int file_ind;
  char heading[TEXT_SIZE];
  char awips[TEXT_SIZE];
  long offset;
  Buffer text;
};

}  // namespace KOL
