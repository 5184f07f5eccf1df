// Path handling shared by every file user: ':'-separated search lists (URLs allowed), user home
// expansion, existence, type, size and time of local files and of files given by "http://" URL,
// and creation of missing parent directories.
#pragma once

#include <climits>
#include <cstddef>

namespace KOL {

class String;
class Strings;

class FileTool {
 public:
  // Begins with "http://", '.', '/' or '~'.
  static bool isFullPath(const char* name);
  static bool isUrl(const char* name);
  // "-", "std" or "stdn" in any case.
  static bool isStdio(const char* name);
  // The longest path a file or directory field holds: the system's limit.
  static constexpr size_t MAX_PATH = PATH_MAX - 1;
  // True when name fits MAX_PATH; otherwise "who: path longer than N characters: NAME..." once
  // and false.
  static bool checkLength(const char* who, const char* name);

  // Elements of a ':'-separated list (a ':' right after "http" does not separate).
  static int numPath(const char* list);
  // Element i of the list into out (at most size - 1 characters); 0 when there is none.
  static int getPath(const char* list, int i, char* out, int size);
  static int getPath(const char* list, int i, String& out);

  // Appends '/' unless path is empty or already ends in '/'.
  static int addPathDelim(char* path, int size);
  static int addPathDelim(String& path);
  // Replaces a leading '~' or '~user' by the home directory of the current or named user.
  static int addUserPath(const char* name, char* out, int size);
  static int addUserPath(const char* name, String& out);

  static bool exist(const char* name);
  // Searches the list for name; out receives the first existing candidate (else the last one
  // tried). Returns whether out exists.
  static bool addPath(const char* list, const char* name, char* out, int size);
  static bool addPath(const char* list, const char* name, String& out);
  static bool checkPath(const char* list, const char* name);
  // Places an output file in the first list element that is an existing directory (else the
  // last one). Returns whether out exists.
  static bool addOutPath(const char* list, const char* name, char* out, int size);
  static bool addOutPath(const char* list, const char* name, String& out);

  static bool isDir(const char* name);
  static bool isFile(const char* name);
  static bool isFifo(const char* name);
  static bool isDevice(const char* name);
  // Bytes of a local file (-1 when missing); for a URL the announced length, -1 when the
  // transfer failed or was refused, -2 when no length was announced.
  static long getSize(const char* name);
  // Modification time in seconds since 1970, -1 when the file is missing.
  static long getModTime(const char* name);
  // Removes a local file; 0 when it could not be removed.
  static int remove(const char* name);
  // Creates every missing parent directory of path (permission 0755; mode is not used).
  static int makeDir(const char* path, int mode);

  // Names in a directory (without "." and ".."), sorted; -1 when it cannot be read. Read with
  // opendir/readdir, so any character in the name is safe.
  static int listDir(const char* dir, Strings& names);
  // Paths matching a pattern whose components are fnmatch patterns ('*', '?', '[...]', '\\'
  // quoting the next character; a leading '.' only matched literally), sorted. No shell is
  // involved. The number of paths.
  static int listMatch(const char* pattern, Strings& paths);

  // Transfer callbacks of the URL checks: the body is not needed, the header gives status and
  // length.
  static size_t curl_write(char* ptr, size_t size, size_t nmemb, void* user);
  static size_t curl_header(char* ptr, size_t size, size_t nitems, void* user);
};

}  // namespace KOL
