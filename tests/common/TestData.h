// Helpers shared by all test executables: where the real third-party data lives, where the
// project's database directory and built programs are, and scratch directories.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace KOLTest {

// $KOL_TEST_DATA, or ../shared/data beside the repository.
std::string dataDir();
// The path of a file under the test data directory ("" when the directory is absent).
std::string dataFile(const std::string& relative);
// True when the test data directory exists.
bool haveData();
// The regular files of a folder of the test data directory whose names end in suffix, sorted by
// name (empty when the folder is absent).
std::vector<std::string> dataFiles(const std::string& folder, std::string_view suffix = "");
// The repository's database directory (data/).
std::string databaseDir();
// A built program of programs/.
std::string programPath(const std::string& name);
// A fresh empty directory under the system's temporary directory, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // A link at name (its folders made) to the file source, for a reader that finds files by
  // the names of a convention; the link's path.
  std::string link(const std::string& name, const std::string& source) const;

 private:
  std::string path_;
};
// Runs a shell command and returns its standard output; status receives the exit status.
std::string run(const std::string& command, int* status = nullptr);
// Reads a whole file ("" when it cannot be read).
std::string readFile(const std::string& path);
// Writes text to a file, replacing it.
void writeFile(const std::string& path, const std::string& text);
// A port on 127.0.0.1 that nothing listens on right now (type SOCK_STREAM or SOCK_DGRAM).
int freePort(int type);

// Messages off for the lifetime of the object, inside one test.
class QuietScope {
 public:
  QuietScope();
  ~QuietScope();
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  uint32_t saved_ = 0;
};

// A test with messages turned off; the message mask is restored afterwards.
class QuietTest : public ::testing::Test {
 private:
  QuietScope quiet_;
};

// The repository's database directory in force for the lifetime of the object; the previous
// one is restored afterwards.
class DatabaseScope {
 public:
  DatabaseScope();
  ~DatabaseScope();
  DatabaseScope(const DatabaseScope&) = delete;
  DatabaseScope& operator=(const DatabaseScope&) = delete;

 private:
  std::string saved_;
};

// Resources set for the lifetime of the object, emptied afterwards.
class ResourceScope {
 public:
  ResourceScope() = default;
  ResourceScope(std::initializer_list<std::pair<const char*, std::string>> given);
  ~ResourceScope();
  ResourceScope(const ResourceScope&) = delete;
  ResourceScope& operator=(const ResourceScope&) = delete;
  void set(const char* name, const std::string& value);

 private:
  std::vector<std::string> names_;
};

// A quiet test that reads the repository's database directory.
class DatabaseTest : public QuietTest {
 private:
  DatabaseScope database_;
};

}  // namespace KOLTest

// Skips the current test when the third-party test data is not present.
#define KOL_REQUIRE_DATA()                                                 \
  do {                                                                     \
    if (!KOLTest::haveData())                                              \
      GTEST_SKIP() << "test data not found at " << KOLTest::dataDir()      \
                   << " (set KOL_TEST_DATA to the shared data directory)"; \
  } while (0)
