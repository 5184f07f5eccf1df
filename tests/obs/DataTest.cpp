#include "obs/Data.h"

#include <gtest/gtest.h>

#include <string>

#include "obs/Datum.h"

using KOL::Data;
using KOL::Datum;
using KOL::EarthPoint;

namespace {

constexpr float MISS = KOL::Const::FMISS;

TEST(DataTest, RowsGrowAndStartMissing)
{
  Data t(2);
  EXPECT_EQ(t.getCapacity(), 400);
  EXPECT_EQ(t.getValue(0), MISS);  // past the count
  EXPECT_EQ(t.add("KORD", EarthPoint(41.98f, -87.9f), 12, 8), 0);
  EXPECT_EQ(t.addValue(EarthPoint(1, 2), 5), 1);
  EXPECT_EQ(t.getValue(1, 1), MISS);
  EXPECT_EQ(t.getIndex("EGLL"), -1);
  // A setter past the count extends it, growing the capacity by half or to the row.
  EXPECT_EQ(t.setValue(450, 1, 3), 1);
  EXPECT_EQ(t.getCount(), 451);
  EXPECT_EQ(t.getCapacity(), 600);
  EXPECT_EQ(t.getValue(449, 1), MISS);
  EXPECT_EQ(t.getValue(0, 0), 12);  // growth keeps the rows
  EXPECT_EQ(t.setValue(2000, 0, 1), 1);
  EXPECT_EQ(t.getCapacity(), 2001);
  EXPECT_EQ(t.setValue(0, 2, 1), 0);  // no such field
  Data copy(t);
  t.clear();
  t.setValue(0, 0, MISS);
  EXPECT_EQ(t.getValue(0, 1), MISS);   // cleared rows start missing again
  EXPECT_EQ(copy.getValue(0, 0), 12);  // copies own their columns
}

TEST(DataTest, TextFieldsRefuseNumbersAndNumbersRefuseText)
{
  Data t(3);
  ASSERT_EQ(t.setType(0, Data::TEXT), 1);
  EXPECT_EQ(t.setValue(0, 0, 5), 0);
  EXPECT_EQ(t.getCount(), 0);  // nothing stored
  EXPECT_EQ(t.setString(0, 1, "x"), 0);
  EXPECT_EQ(t.setString(0, "VFR"), 1);
  EXPECT_STREQ(t.getString(0), "VFR");
  EXPECT_EQ(t.getString(1), nullptr);  // past the count: no string
  // add(Datum) puts the text into a first text field, the values into the numeric fields.
  Datum d;
  d.set(EarthPoint(39.87f, -104.67f), Datum::TEXT, "MVFR", "");
  d.setValue(1, 4000);
  d.setValue(0, 1);
  EXPECT_EQ(t.add(d), 1);
  EXPECT_STREQ(t.getString(1), "MVFR");
  EXPECT_EQ(t.getValue(1, 1), 1);
  EXPECT_EQ(t.getValue(1, 2), 4000);
  // Switching the type replaces the column.
  ASSERT_EQ(t.setType(0, Data::NUMERIC), 1);
  EXPECT_EQ(t.getValue(1, 0), MISS);
}

}  // namespace
