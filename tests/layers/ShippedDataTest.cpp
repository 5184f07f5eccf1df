// The shipped data files whose formats have no comments, each read by the reader the library
// reads it with: a line foreign to the format (such as a "#" note) would come back as a symbol,
// a font, a list entry or a macro of its own, or stop the reader.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/GFont.h"
#include "graphics/Symbol.h"
#include "layers/VarFile.h"
#include "layers/VarList.h"

namespace {

class ShippedData : public KOLTest::DatabaseTest {
 protected:
  static std::string path(const std::string& name) { return KOLTest::databaseDir() + "/" + name; }
};

// Whitespace-separated words of a file equal to word.
int countWord(const std::string& file, const std::string& word)
{
  std::istringstream in(KOLTest::readFile(file));
  int n = 0;
  for (std::string w; in >> w;) n += w == word;
  return n;
}

TEST_F(ShippedData, EverySymbolIsNamedAndEnded)
{
  KOL::Symbol s;
  ASSERT_EQ(s.read(path("wx.smb").c_str()), 1);
  EXPECT_EQ(s.getNum(), countWord(path("wx.smb"), "$"));
  for (int i = 0; i < s.getNum(); ++i) {
    const std::string name = s.getName(i);
    EXPECT_NE(name[0], '#') << "symbol " << i;
    EXPECT_EQ(name.find_first_of(",$"), std::string::npos) << name;
  }
}

// Every line of the font list is a name and a font: a hardware font pattern, or a stroke font
// file that reads whole.
TEST_F(ShippedData, EveryListedFontOpens)
{
  std::ifstream in(path("kol.fnl"));
  std::string line;
  int fonts = 0;
  while (std::getline(in, line)) {
    char name[100], spec[200];
    ASSERT_EQ(std::sscanf(line.c_str(), "%99s %199[^\n]", name, spec), 2) << line;
    EXPECT_NE(name[0], '#') << line;
    if (spec[0] == '#') continue;
    KOL::GFont f;
    EXPECT_EQ(f.open(spec, path(spec).c_str()), 1) << line;
    EXPECT_TRUE(f.hasChar('A')) << line;
    fonts++;
  }
  EXPECT_EQ(fonts, 5);
}

// Every macro has a plain name and a definition that decodes as a variable list.
TEST_F(ShippedData, EveryMacroIsAVariableList)
{
  for (const char* file : {"sfcplot.var", "gridplot.var", "upaplot.var"}) {
    KOL::VarFile vf;
    ASSERT_EQ(vf.open(file), 1) << file;
    KOL::VarFileData d;
    int macros = 0;
    while (vf.read(d)) {
      macros++;
      EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(d.name[0]))) << file << " " << d.name;
      EXPECT_GT(KOL::VarList(d.definition.get()).getNum(), 0) << file << " " << d.name;
    }
    EXPECT_GE(macros, 5) << file;
  }
}

}  // namespace
