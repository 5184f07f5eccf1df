#include "obs/CloudLayer.h"

#include <cstdio>

namespace KOL {

int CloudLayer::kind(char cover)
{
  switch (cover) {
    case '0':
    case 'C':
      return CLEAR;
    case '1':
    case 'F':
      return FEW;
    case '2':
    case '3':
    case 'S':
      return SCATTERED;
    case '4':
    case '5':
    case '6':
    case 'B':
      return BROKEN;
    case '7':
    case '8':
    case 'O':
      return OVERCAST;
    case '9':
    case 'X':
      return OBSCURED;
    default:
      return OTHER;
  }
}

char CloudLayer::letter(char cover)
{
  static const char letters[] = {0, 'C', 'F', 'S', 'B', 'O', 'X'};
  int k = kind(cover);
  return k == OTHER ? cover : letters[k];
}

void CloudLayer::print() const { std::printf("Cov: %c Hgt: %.0f\n", cover, height); }

}  // namespace KOL
