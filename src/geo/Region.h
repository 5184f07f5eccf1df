// Named domains kept in region files: each line names a region, a one-word label, a number and
// the region's domain text (any form DomainTool decodes).
#pragma once

namespace KOL {

class String;

class Region {
 public:
  static constexpr const char* DEFAULT_FILE = "kol.reg";
  static constexpr int FIELD_SIZE = 80;

  // The domain text of the region called name (case ignored), or of the first region when name
  // is null or empty, from file (default "kol.reg") on the database path. 0 when there is none.
  static int get(const char* file, const char* name, String& out);
};

}  // namespace KOL
