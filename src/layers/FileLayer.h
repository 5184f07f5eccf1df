// A layer drawn from one file: named (key fi) or found by a naming convention (the resource
// "in_file", else the layer's own), the latest of it when none is named.
#pragma once

#include <string>

#include "core/Filename.h"
#include "graphics/Drawing.h"

namespace KOL {

class FileLayer : public Drawing {
 public:
  int setNameConv(const char* conv) override { return file.setNameConv(conv); }
  int setFilename() override { return file.setFile(); }
  int setFilename(const char* name) override { return file.checkFile(name) && file.exist(); }
  // A file named as such stays whatever the figure's date.
  int setFilename(Date& d) override;
  int getDate(Date& d) override { return file.getDate(d) && d.isSet(); }
  const char* getFilename() const { return file.getName(); }

 protected:
  explicit FileLayer(const char* convention) : convention(convention) {}

  // No file, and the naming convention of the resource "in_file" or the layer's.
  void initFile();
  // Names the file when field is fi=FILE; true when it was.
  bool takeFile(const std::string& field);
  // The file to read: the one named, else the latest; null when there is none.
  const char* chosenFile();

  Filename file;

 private:
  const char* convention;
};

}  // namespace KOL
