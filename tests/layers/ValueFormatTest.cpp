// Station values written with formats from attribute texts: ordinary formats as printf writes
// them, anything printf should not be handed replaced by the plain default.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layers/datum/ValueFormat.h"

namespace {

struct Case {
  const char* format;
  float value;
  const char* expect;
};

TEST(ValueFormatTest, FormatsAsPrintfOrTheDefault)
{
  const std::vector<Case> cases = {
      {"%1.0f", 7.25f, "7"},
      {"%3.1f", 7.75f, "7.8"},
      {"%03.0f", 5, "005"},
      {"%03.0f", 132, "132"},
      {"%010.3f", 1.5f, "000001.500"},
      {"%+d", 7.6f, "+8"},
      {"%d", -7.6f, "-8"},
      {"%x", 255, "ff"},
      {"%lf", 2.5f, "2.500000"},
      {"%5.1f%%", 50, " 50.0%"},
      {"T=%1.0fC", 20, "T=20C"},
      {"%d", 1e30f, "0"},
      // not a single numeric conversion: the default
      {"%s", 3, "3"},
      {"%n", 3, "3"},
      {"%*d", 3, "3"},
      {"%.*f", 3, "3"},
      {"%f%f", 3, "3"},
      {"abc", 3, "3"},
      {"%", 3, "3"},
      {"%999f", 3, "3"},
      {"%1.123f", 3, "3"},
      {nullptr, 2.4f, "2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KOL::datum::formatValue(c.format, c.value), c.expect)
        << (c.format ? c.format : "null");
}

}  // namespace
