// The TEMP and PILOT files of the shared upper-air data, under upperair/.
#pragma once

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

}  // namespace KOLTest
