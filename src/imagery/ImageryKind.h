// What an imagery file holds, found without a word to the user: a NIDS radar product (with
// radial or raster data, or graphic and tabular only), a GINI image, a full-resolution radar
// volume (a file or a folder of its chunks), or none of them. The radar and
// satellite programs refuse a file of the wrong kind in one line of their own with it.
#pragma once

namespace KOL {

class ImageryKind {
 public:
  enum Kind : int { OTHER = 0, NIDS_DATA, NIDS_GRAPHIC, GINI, LEV2 };

  // product: the NIDS product code, when wanted and the file is a NIDS product.
  static Kind of(const char* name, int* product = nullptr);
};

}  // namespace KOL
