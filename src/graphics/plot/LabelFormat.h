// Plot label texts: a format whose '%' codes stand for the plot date, forecast hour and data
// source ("%D", "%F", "%S", "%V", "%Y" ... "%f"), and '_' for a blank.
#pragma once

#include <string>

namespace KOL {

class Date;
class Timezone;

namespace LabelFormat {

struct Context {
  const Date& date;
  const Timezone& tz;
  float fore_hour;
  const std::string& source;
};

// The expanded text, cut to size - 1 characters; its length.
int format(const Context& c, const char* fmt, char* out, int size);

}  // namespace LabelFormat
}  // namespace KOL
