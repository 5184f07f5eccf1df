#include "obs/Data.h"

#include <gtest/gtest.h>

#include <string>

#include "core/String.h"
#include "obs/Datum.h"

using KOL::Data;
using KOL::Datum;
using KOL::EarthPoint;

namespace {

constexpr float MISS = KOL::Const::FMISS;

TEST(DatumTest, ValuesAreBoundedAndMissingStaysMissing)
{
  Datum d;
  d.setId("KORD");
  d.setLoc(41.98f, -87.9f);
  EXPECT_EQ(d.index, KOL::Const::MISS);
  EXPECT_EQ(d.setValue(4, 1), 1);
  EXPECT_EQ(d.setValue(5, 1), 0);
  EXPECT_EQ(d.setValue(-1, 1), 0);
  EXPECT_EQ(d.getValue(5), MISS);
  d.setValue(10.0f, 20.0f);  // two floats: the pair form, not value 10
  d.offsetValue(0, 273.15f);
  d.scaleValue(1, 0.5f);
  d.offsetValue(2, 5);  // missing stays missing
  d.scaleValue(3, 2);
  EXPECT_FLOAT_EQ(d.getValue(0), 283.15f);
  EXPECT_EQ(d.getValue(1), 10);
  EXPECT_EQ(d.getValue(2), MISS);
  EXPECT_EQ(d.getValue(3), MISS);
  EXPECT_EQ(d.offsetValue(5, 1), 0);

  d.setType(Datum::WBARB);
  d.setData("text");
  d.initVals();  // values, type and text cleared; station and location kept
  EXPECT_EQ(d.type, Datum::NONE);
  EXPECT_STREQ(d.data, "");
  EXPECT_EQ(d.getValue(4), MISS);
  EXPECT_STREQ(d.id, "KORD");
  EXPECT_FLOAT_EQ(d.loc.lat, 41.98f);
}

TEST(DatumTest, TextsFormatsAndShorthands)
{
  Datum d;
  d.setFormat("ul");
  d.addFormat("%.1f");
  d.addFormat("red");
  EXPECT_STREQ(d.format, "ul,%.1f,red");
  d.formatData("%2.2d%2.2d", 18, 51);
  EXPECT_STREQ(d.data, "1851");
  d.formatData("%s", std::string(150, 'x').c_str());
  EXPECT_EQ(std::string(d.data), std::string(39, 'x'));
  d.setData('B');
  EXPECT_STREQ(d.data, "B");

  d.set(EarthPoint(10, 20, 300), Datum::CBARB, 270, 15);
  EXPECT_EQ(d.type, Datum::CBARB);
  EXPECT_EQ(d.loc.value, 300);
  EXPECT_EQ(d.getValue(1), 15);
  d.set(EarthPoint(1, 2), Datum::TEXT, "VFR", "cc");
  EXPECT_EQ(d.getValue(0), MISS);
  EXPECT_STREQ(d.data, "VFR");
  EXPECT_STREQ(d.format, "cc");
}

TEST(DataTest, RowsGrowAndStartMissing)
{
  Data t(2);
  EXPECT_EQ(t.getCapacity(), 400);
  EXPECT_EQ(t.getCount(), 0);
  EXPECT_EQ(t.getValue(0), MISS);  // past the count
  EXPECT_STREQ(t.getId(0), "");
  EXPECT_TRUE(t.getLoc(3).isMiss());

  EXPECT_EQ(t.add("KORD", EarthPoint(41.98f, -87.9f), 12, 8), 0);
  EXPECT_EQ(t.addValue(EarthPoint(1, 2), 5), 1);
  EXPECT_EQ(t.getValue(0, 1), 8);
  EXPECT_EQ(t.getValue(1, 1), MISS);
  EXPECT_EQ(t.getIndex("KORD"), 0);
  EXPECT_EQ(t.getIndex("EGLL"), -1);

  // A setter past the count extends it, growing the capacity by half or to the row.
  EXPECT_EQ(t.setValue(450, 1, 3), 1);
  EXPECT_EQ(t.getCount(), 451);
  EXPECT_EQ(t.getCapacity(), 600);
  EXPECT_EQ(t.getValue(449, 1), MISS);
  EXPECT_EQ(t.getValue(450, 1), 3);
  EXPECT_EQ(t.getValue(0, 0), 12);  // growth keeps the rows
  EXPECT_EQ(t.setValue(2000, 0, 1), 1);
  EXPECT_EQ(t.getCapacity(), 2001);
  EXPECT_EQ(t.setValue(-1, 0, 1), 0);
  EXPECT_EQ(t.setValue(0, 2, 1), 0);  // no such field
  t.expand();
  EXPECT_EQ(t.getCapacity(), 3001);

  Data copy(t);
  t.clear();
  EXPECT_EQ(t.getCount(), 0);
  EXPECT_EQ(t.getNumFields(), 2);
  t.setValue(0, 0, MISS);
  EXPECT_EQ(t.getValue(0, 1), MISS);   // cleared rows start missing again
  EXPECT_EQ(copy.getValue(0, 0), 12);  // copies own their columns
  EXPECT_EQ(copy.getCount(), 2001);
}

TEST(DataTest, TextFieldsRefuseNumbersAndNumbersRefuseText)
{
  Data t(3);
  ASSERT_EQ(t.setType(0, Data::TEXT), 1);
  EXPECT_EQ(t.setType(3, Data::TEXT), 0);
  EXPECT_EQ(t.setType(1, 7), 0);
  EXPECT_EQ(t.setValue(0, 0, 5), 0);
  EXPECT_EQ(t.getCount(), 0);  // nothing stored
  EXPECT_EQ(t.setString(0, 1, "x"), 0);
  EXPECT_EQ(t.setString(0, "VFR"), 1);
  EXPECT_EQ(t.getValue(0, 0), MISS);
  EXPECT_STREQ(t.getString(0), "VFR");
  EXPECT_EQ(t.getString(0, 1), nullptr);
  EXPECT_EQ(t.getString(1), nullptr);  // past the count: no string

  // add(Datum) puts the text into a first text field, the values into the numeric fields.
  Datum d;
  d.setId("KDEN");
  d.set(EarthPoint(39.87f, -104.67f), Datum::TEXT, "MVFR", "");
  d.setValue(1, 4000);
  d.setValue(0, 1);
  EXPECT_EQ(t.add(d), 1);
  EXPECT_STREQ(t.getString(1), "MVFR");
  EXPECT_EQ(t.getValue(1, 1), 1);
  EXPECT_EQ(t.getValue(1, 2), 4000);
  EXPECT_STREQ(t.getId(1), "KDEN");

  // Switching the type replaces the column.
  ASSERT_EQ(t.setType(0, Data::NUMERIC), 1);
  EXPECT_EQ(t.getValue(1, 0), MISS);
  EXPECT_EQ(t.getString(1, 0), nullptr);
}

TEST(DataTest, FieldInfoAndAppendingTables)
{
  Data a(2);
  a.setInfo("surface");
  a.setInfo(0, "temp");
  a.setInfo(1, "dewp");
  EXPECT_EQ(a.searchInfo("dewp"), 1);
  EXPECT_EQ(a.searchInfo("wspd"), -1);
  EXPECT_EQ(a.setInfo(2, "x"), 0);
  EXPECT_STREQ(a.getInfo(5), "");
  a.add("A", EarthPoint(1, 1), 10, 1);
  a.add("B", EarthPoint(2, 2), 20, 2);

  Data b;
  b.copyInfo(a);
  EXPECT_EQ(b.getNumFields(), 2);
  EXPECT_STREQ(b.getInfo(1), "dewp");
  EXPECT_EQ(b.getCount(), 0);
  b.add(a, 1, 0);
  b.add(a, 1);
  EXPECT_EQ(b.getCount(), 4);
  EXPECT_EQ(b.getValue(1, 0), 2);
  EXPECT_EQ(b.getValue(3, 1), 2);
  EXPECT_EQ(b.getValue(3, 0), MISS);
  EXPECT_STREQ(b.getId(2), "A");
  EXPECT_EQ(b.add(a, 2, 0), 0);

  // Units go into the field's VarSpec and rebuild its info text.
  KOL::VarSpec spec("temp");
  a.setVarSpec(0, spec);
  a.setUnits(0, "F");
  EXPECT_STREQ(a.getUnits(0), "F");
  EXPECT_NE(std::string(a.getInfo(0)).find("F"), std::string::npos) << a.getInfo(0);
  EXPECT_EQ(a.getVarSpec(3), nullptr);
}

}  // namespace
