// The one file handle of the library: local files, standard input and output, command pipes
// and files given by "http://" URL (received into memory) behind the same line, binary and
// formatted calls. File readers of the library derive from it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "core/Buffer.h"

namespace KOL {

class String;

class File {
 public:
  enum Type : int { LOCAL = 0, PIPE = 1, URL = 7 };

  File() { init(); }
  File(const char* name, const char* mode);
  File(const char* name, int how);
  File(const String& name, const char* mode);
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  virtual ~File();

  void init();
  // mode as for fopen; "p..." runs name as a command pipe. Returns 1 when open.
  int open(const char* name, const char* mode);
  // how: 0 read, 1 write, 2 append.
  int open(const char* name, int how);
  int open(const String& name, const char* mode);
  bool isOpen() const { return open_; }
  FILE* getFP() const { return fp_; }
  int getType() const { return type_; }

  // One line with its newline, at most size - 1 characters, terminated; the count, 0 at the end.
  int getLine(char* buf, int size);
  // The same into s, limited by its allocated size.
  int getLine(String& s);
  // Skips past the next newline; 0 at the end.
  int skipLine();
  // Binary reads: the count of items, -1 when the file cannot be read.
  int read(void* bytes, int size, int n);
  int read(void* bytes, int n) { return read(bytes, 1, n); }
  // Appends up to n bytes (or the free space) to b; b's used count, -1 at the end of a file.
  int read(Buffer& b, int n);
  int read(Buffer& b) { return read(b, b.getFree()); }
  int write(const void* bytes, int size, int n);
  int write(const void* bytes, int n) { return write(bytes, 1, n); }
  int printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int scanf(const char* fmt, ...) __attribute__((format(scanf, 2, 3)));

  int seek(long off, int whence);
  long tell();
  void rewind();
  bool endFile();

  int close();
  void setShare(int share) { share_ = share; }

  // URL transfer: received bytes, header lines, and waiting until n unread bytes are held.
  static size_t curl_write(char* ptr, size_t size, size_t nmemb, void* user);
  static size_t curl_header(char* ptr, size_t size, size_t nitems, void* user);
  int curl_fill_buffer(int n);

 private:
  int openUrl(const char* url);
  int openPipe(const char* command, const char* mode);
  int openLocal(const char* name, const char* mode);
  int localLine(char* buf, int size);
  bool local() const { return open_ && type_ == LOCAL && fp_; }
  bool writable() const { return open_ && type_ != URL && fp_; }
  void endTransfer();

  int type_ = LOCAL;
  bool std_ = false;
  FILE* fp_ = nullptr;
  void* easy_ = nullptr;   // libcurl easy handle, opaque here to keep libcurl out of the interface
  void* multi_ = nullptr;  // libcurl multi handle
  bool open_ = false;
  bool write_ = false;
  int share_ = 1;
  Buffer data_;
  int running_ = 0;          // transfer still going
  bool failed_ = false;      // status line other than 200, or transfer error
  long length_ = -1;         // announced content length
  std::vector<char> iobuf_;  // the stream's buffer, with a NUL byte after it
  bool piece_ = false;       // the last getLine stopped inside a line
};

}  // namespace KOL
