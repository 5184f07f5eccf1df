#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace KOLTest {

// Values of a record's fields as one list, so that a whole record is compared in one assertion.
template <class... T>
std::vector<float> floats(T... v)
{
  return {static_cast<float>(v)...};
}

// Every value within tolerance of its expected value (equal when missing).
inline void expectNear(const std::vector<float>& got, const std::vector<float>& want,
                       float tolerance)
{
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); i++) EXPECT_NEAR(got[i], want[i], tolerance) << "value " << i;
}

}  // namespace KOLTest
