// The program frame: process-wide state of a program built on the library (program name,
// database directory, message mask, fixed current time, resource database) and the printing
// functions every class reports through.
#pragma once

#include <cstdint>
#include <string>

#include "core/Const.h"
#include "core/Resrc.h"

namespace KOL {

class Kol {
 public:
  // Exit status of a program: the library itself only ends with SUCCESS or FAILURE.
  enum Error : int { SUCCESS = 0, FAILURE = 1, USAGE = 2 };

  // Message levels (bit level-1 of the mask).
  enum Level : int {
    NONE = 0,
    PRINT = 1,
    ERROR = 2,
    WARN = 3,
    MESS = 4,
    OUT1 = 5,
    OUT8 = 12,
    DEBUG1 = 13,
    DEBUG8 = 20
  };

  static constexpr int PROGNAME_SIZE = 20;

  static void setProgramName(const char* name);
  static const char* getProgramName();
  static void setDatabasePath(const char* path);
  static const char* getDatabasePath();

  static void setMessageLevel(int n);
  static void setMessageLevel(const char* spec);
  static uint32_t getMessageMask() { return message_mask; }
  static void setMessageMask(uint32_t mask) { message_mask = mask; }
  static bool checkMessage(int level);
  static bool isDebug();
  static bool isDebug(int n);
  // The level of a keyword of the level table ("warn", "debug3", ...), -1 when none.
  static int levelOf(const char* keyword);

  static void outMessage(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void outMessage(int level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  static void outWarning(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void outError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void outDebug(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void outDebug(int n, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  static void print(const char* text);

  static void pause();
  static void sleep(float seconds);
  static double getTime();
  static long getVirtMem();
  [[noreturn]] static void exit(Error e);
  static const char* getVersion();
  static const char* getComputerName();

  // A fixed current time (seconds since 1970) used instead of the clock; Const::MISS when unset.
  static long init_time;
  // The resource database, filled by ResrcDB::create.
  static Resrc resrc;

 private:
  static char progname[PROGNAME_SIZE];
  static std::string datapath;
  static uint32_t message_mask;
};

}  // namespace KOL
