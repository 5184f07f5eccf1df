// Every text reader of the date classes fed with arbitrary bytes: date texts, plot labels,
// time spans, time zones and forecast times, and the output built from what they read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Date.h"
#include "core/DateTool.h"
#include "core/ForeTime.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/Timezone.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  using namespace KOL;
  Kol::setMessageLevel("none");
  std::string text(reinterpret_cast<const char*>(data), size);
  const char* t = text.c_str();

  Date d(t);
  d.format("%Y%m%d%H%M%s %j %a %l%p %Z");
  d.addDays(1);
  d.addMonths(-13);
  Date label;
  DateTool::decode(t, label);
  DateTool::getSeconds(t);
  DateTool::getMinutes(t);
  DateTool::decodeMonth(t);
  Timezone tz(t);
  String out;
  DateTool::createLabel(t, label, tz, 1, out);
  DateTool::createLabel(d, tz, t, 12.0f, out);
  // The text also as a date format.
  Date(2024, 2, 29, 23, 59, 59.5f).toText(t, out);

  ForeTime ft(t);
  ft.toString(out);
  ft.toTimeLabel(out);
  ft.toVarLabel(out);
  int code = ft.toCode();
  ForeTime back(code);
  back.toString(out);
  if (size >= 4) {
    int32_t raw = (int32_t)((uint32_t)data[0] << 24 | (uint32_t)data[1] << 16 |
                            (uint32_t)data[2] << 8 | data[3]);
    ForeTime fromCode(raw);
    fromCode.toString(out);
    fromCode.toTimeLabelDay(out);
  }
  return 0;
}
