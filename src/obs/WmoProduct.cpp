#include "obs/WmoProduct.h"

#include <cstdio>

#include "core/StrLib.h"

namespace KOL {

void WmoProduct::init()
{
  Filename::init();
  file_ind = -1;
  heading[0] = awips[0] = 0;
  offset = -1;
  text.init(0);
}

void WmoProduct::set(int file_index, const char* h, const char* a, long off)
{
  file_ind = file_index;
  StrLib::copy(heading, TEXT_SIZE, h ? h : "");
  StrLib::copy(awips, TEXT_SIZE, a ? a : "");
  offset = off;
}

void WmoProduct::print() const
{
  std::printf("Product %d %ld: %s / %s\n", file_ind, offset, heading, awips);
}

}  // namespace KOL
