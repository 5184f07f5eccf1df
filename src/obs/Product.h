// One rule of the ingest products file: the heading pattern it selects, its flags, what it does
// with a selected bulletin (write, append, pipe, file, run or ignore) and where, and the output
// and header index files it holds open while one bulletin is being filed.
#pragma once

#include <cstdio>
#include <string>

#include "core/File.h"
#include "core/FileTool.h"
#include "obs/wmo/OpenFiles.h"

struct iovec;

namespace KOL {

class Product {
 public:
  static constexpr int PATTERN_SIZE = 40;
  static constexpr int FLAGS_SIZE = 10;
  // Templates and names hold a whole path, up to the system's limit.
  static constexpr int FILE_SIZE = static_cast<int>(FileTool::MAX_PATH) + 1;
  // The notice mask of a bare P: every destination.
  static constexpr int ALL_PANS = 65535;

  enum Action : int {
    NO_ACTION = 0,
    WRITE = 1,
    APPEND = 2,
    PIPE = 3,
    FILE_NAME = 4,
    RUN = 5,
    IGNORE = 6
  };
  enum Selection : int { UNSELECTED = 0, SELECTED = 1, ELSE = 2 };

  Product() { init(); }
  Product(const Product&) = delete;
  Product& operator=(const Product&) = delete;

  void init();
  // Reads a rule line: pattern, flags-and-action word, templates or command. 0 when the line
  // holds no rule (fewer than two words, or no action keyword).
  int set(const char* line);
  // The flags-and-action word alone; 0 without an action keyword.
  int setFlags(const char* word);

  const char* getPattern() const { return pattern; }
  const char* getFlags() const { return flags; }
  int getAction() const { return act; }
  const char* getFileTemplate() const { return file_tmpl; }
  const char* getHeaderTemplate() const { return hdr_tmpl; }
  const char* getFilename() const { return file_name; }
  const char* getHeaderName() const { return hdr_name; }
  char* fileNameBuffer() { return file_name; }
  char* headerNameBuffer() { return hdr_name; }
  bool isRaw() const { return raw; }
  bool isBin() const { return bin; }
  bool isUnique() const { return unique; }
  bool isElse() const;
  int getPan() const { return pan; }
  int getOffset() const { return off; }
  int getSel() const { return sel; }
  void setSel(int s) { sel = s; }
  // Where the bulletin starts in the output, once its first bytes are written there.
  long getPos() const { return pos < 0 ? 0 : pos; }
  // Bytes written to the output for the current bulletin.
  long getWritten() const { return written; }

  // Opens the output for this bulletin: append, write, or a command pipe, buffered in buffer
  // (size bytes, kept by the caller until the output is closed) when one is given. An append
  // to a local file is taken from kept instead when one is given, and left open there after
  // the bulletin. 0 on failure.
  int openOutput(char* buffer = nullptr, int size = 0, wmo::OpenFiles* kept = nullptr);
  bool hasOutput() const { return fd >= 0; }
  // The output of the current bulletin was opened (it may be closed again by now).
  bool isFiled() const { return filed; }
  File& getOutput() { return output; }
  // A bulletin starts: where it lands in the output is learnt as it is written.
  void markStart();
  // The output offset: the start of the bulletin and what was written since.
  long tell() const { return pos + written; }
  // Buffered; runs longer than the buffer are written in place.
  int write(const void* bytes, int n);
  // Adds one index line "offset heading / identifier" to the header index file, or gathers
  // it in kept (with the lines of other bulletins, written later) when that is given.
  int writeIndex(const char* heading, const char* awips, wmo::OpenFiles* kept = nullptr);
  // Takes back what this bulletin wrote to a file (a pipe cannot be taken back) and closes it.
  void rollback();
  // Ends the output after the bulletin: the n bytes at last, then one uncounted newline when
  // asked, are written with what the buffer holds; a kept output stays open, any other is
  // closed. A kept output gathers bulletins and writes them later, unless settle asks for the
  // bulletin to be written now (so that its place in the file is known, for a notice).
  void endBulletin(bool newline, const void* last = nullptr, int n = 0, bool settle = false);
  // Where the files of the names were last found among the kept files (see wmo::OpenFiles).
  wmo::OpenFiles::Hint& fileHint() { return file_hint; }
  wmo::OpenFiles::Hint& headerHint() { return hdr_hint; }
  // Forgets the files of the last bulletin.
  void clearBulletin();
  void closeOutput();
  void print() const;

 private:
  bool flush();
  bool send(iovec* iov, int count);

  char pattern[PATTERN_SIZE];
  char flags[FLAGS_SIZE];
  int act;
  char file_tmpl[FILE_SIZE];
  char hdr_tmpl[FILE_SIZE];
  char file_name[FILE_SIZE];
  char hdr_name[FILE_SIZE];
  bool raw;
  bool bin;
  int sel;
  bool unique;
  int pan;
  int off;
  long pos;
  long written;
  bool filed;
  int fd;                   // the output of the current bulletin: output's descriptor or a kept one
  wmo::OpenFiles* kept_in;  // the set fd was taken from, if any
  wmo::OpenFiles* kept_from;  // the same, still known after the bulletin's end
  char* buf;                  // the caller's buffer for the bytes not written yet
  int buf_size;
  int buf_len;
  wmo::OpenFiles::Hint file_hint;  // where the files were last found in their sets
  wmo::OpenFiles::Hint hdr_hint;
  File output;
  File header;
  std::string index_rest;  // the index line being made, kept for its memory
};

}  // namespace KOL
