// The TEMP and PILOT files of the shared upper-air data, under upperair/, and the decoded tables
// that lie beside some of them.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/Const.h"

namespace KOLTest {

inline const char* const UPA_FILES[] = {"ENCODED_72201_KEY_20180630_12Z.txt",
                                        "ENCODED_72357_OUN_20110522_12Z.txt",
                                        "ENCODED_72456_TOP_20070504_12Z.txt",
                                        "ENCODED_72456_TOP_20070504_12Z.pilot.txt",
                                        "real_02963_20060410_12Z.txt",
                                        "real_72694_TTAA_TTBB_PPBB_TTCC.txt",
                                        "real_83779_20230223_12Z.txt",
                                        "real_USUS01_KWBC_061200_72403_72440.txt",
                                        "teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt"};

struct UpaTableRow {
  float pres, hght, temp, dewp, dir, spd;
};

// A decoded table: fixed seven-character columns PRES HGHT TEMP DWPT RELH MIXR DRCT SKNT (or
// SPED in m/s, turned into knots); lines with words are headings.
inline std::vector<UpaTableRow> readUpaTable(const std::string& path)
{
  const float NONE = KOL::Const::FMISS;
  auto cell = [&](const std::string& line, size_t col) {
    float v;
    return line.size() > col * 7 && std::sscanf(line.substr(col * 7, 7).c_str(), "%f", &v) == 1
               ? v
               : NONE;
  };
  std::vector<UpaTableRow> rows;
  std::ifstream in(path);
  bool metres = false;
  for (std::string line; std::getline(in, line);) {
    metres = metres || line.find("SPED") != std::string::npos;
    if (cell(line, 0) == NONE || line.find_first_of("abcdfgijklnopqruvwxyz") != std::string::npos)
      continue;
    const float spd = cell(line, 7);
    rows.push_back({cell(line, 0), cell(line, 1), cell(line, 2), cell(line, 3), cell(line, 6),
                    metres && spd != NONE ? spd * 1.944f : spd});
  }
  return rows;
}

}  // namespace KOLTest
