#include "core/File.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>
#include <string_view>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/String.h"

namespace KOL {

namespace {

// A larger stdio buffer than the default makes line reading cost fewer system calls.
constexpr size_t READ_BUFFER = 1 << 17;
constexpr int PATH_SIZE = 4096;
constexpr int SKIP_CHUNK = 200;

bool iprefix(std::string_view s, std::string_view prefix)
{
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); i++)
    if (std::tolower((unsigned char)s[i]) != std::tolower((unsigned char)prefix[i])) return false;
  return true;
}

std::string_view trimEnd(std::string_view s)
{
  while (!s.empty() && std::isspace((unsigned char)s.back())) s.remove_suffix(1);
  return s;
}

#ifdef __GLIBC__
// The newline that ends the line within the window [ptr, ptr + take), null when the window
// holds none; nul is set when a NUL byte comes before it. With a sentinel, the stream's buffer
// is followed by a NUL byte, so that strchrnul finds newline and NUL in one pass.
const char* lineEnd(const char* ptr, size_t take, bool sentinel, bool& nul)
{
  const char* end = ptr + take;
  if (sentinel) {
    const char* stop = strchrnul(ptr, '\n');
    if (stop >= end || *stop == '\n') return stop < end ? stop : nullptr;
    nul = true;
    return static_cast<const char*>(std::memchr(stop, '\n', end - stop));
  }
  auto nl = static_cast<const char*>(std::memchr(ptr, '\n', take));
  nul |= std::memchr(ptr, '\0', nl ? nl - ptr : take) != nullptr;
  return nl;
}

// Takes the line straight out of the stream's buffer, with stdio refilling the buffer as usual.
// As with fgets, the count ends at a NUL byte inside the line, so that it always equals the
// length of the text. [own, ownEnd) is the buffer given to the stream, followed by a NUL byte,
// or null. piece tells whether the line goes on after what was read.
int readLine(FILE* fp, char* buf, int size, const char* own, const char* ownEnd, bool& piece)
{
  int max = size - 1, n = 0;
  bool nul = false, ended = false;
  // A line longer than buf is searched once to its end, not again for every piece.
  if (piece) own = nullptr;
  while (n < max) {
    char* ptr = fp->_IO_read_ptr;
    long avail = fp->_IO_read_end - ptr;
    if (avail <= 0) {
      int c = getc_unlocked(fp);  // refills the buffer
      if (c == EOF) break;
      nul |= c == '\0';
      buf[n++] = static_cast<char>(c);
      if ((ended = c == '\n')) break;
      continue;
    }
    // Pushed-back characters may live in a separate area without the sentinel.
    bool sentinel = own && fp->_IO_read_base >= own && fp->_IO_read_end <= ownEnd;
    size_t take = static_cast<size_t>(std::min<long>(avail, max - n));
    const char* nl = lineEnd(ptr, take, sentinel, nul);
    if (nl) take = static_cast<size_t>(nl - ptr) + 1;
    std::memcpy(buf + n, ptr, take);
    fp->_IO_read_ptr += take;
    n += static_cast<int>(take);
    if ((ended = nl != nullptr)) break;
  }
  buf[n] = '\0';
  piece = n == max && !ended;
  return nul ? static_cast<int>(std::strlen(buf)) : n;
}
#else
int readLine(FILE* fp, char* buf, int size, const char*, const char*, bool&)
{
  if (!fgets(buf, size, fp)) return 0;
  return static_cast<int>(std::strlen(buf));
}
#endif

const char* urlOf(void* easy)
{
  char* url = nullptr;
  curl_easy_getinfo(static_cast<CURL*>(easy), CURLINFO_EFFECTIVE_URL, &url);
  return url ? url : "";
}

}  // namespace

File::File(const char* name, const char* mode)
{
  init();
  open(name, mode);
}

File::File(const char* name, int how)
{
  init();
  open(name, how);
}

File::File(const String& name, const char* mode)
{
  init();
  open(name.get(), mode);
}

File::~File() { close(); }

void File::init()
{
  type_ = LOCAL;
  std_ = false;
  fp_ = nullptr;
  easy_ = multi_ = nullptr;
  open_ = write_ = false;
  share_ = 1;
  data_.init(0);
  running_ = 0;
  failed_ = false;
  length_ = -1;
  iobuf_.clear();
  piece_ = false;
}

int File::open(const char* name, int how)
{
  static const char* const modes[] = {"r", "w", "a"};
  if (how < 0 || how > 2) return 0;
  return open(name, modes[how]);
}

int File::open(const String& name, const char* mode) { return open(name.get(), mode); }

int File::open(const char* name, const char* mode)
{
  close();
  if (!name || !*name || !mode || !*mode) return 0;
  if (mode[0] == 'p') return openPipe(name, mode + 1);
  if (FileTool::isUrl(name)) {
    if (mode[0] == 'r') return openUrl(name);
    Kol::outWarning("File: URLs are read only: %s\n", name);
    return 0;
  }
  if (FileTool::isStdio(name)) {
    write_ = mode[0] != 'r';
    fp_ = write_ ? stdout : stdin;
    std_ = open_ = true;
    return 1;
  }
  if (name[0] == '|') return openPipe(name + 1, mode);
  return openLocal(name, mode);
}

int File::openPipe(const char* command, const char* mode)
{
  write_ = mode[0] != 'r';
  fp_ = popen(command, write_ ? "w" : "r");
  if (!fp_) {
    Kol::outDebug(5, "F:pipe failed: %s\n", command);
    write_ = false;
    return 0;
  }
  type_ = PIPE;
  open_ = true;
  return 1;
}

int File::openLocal(const char* name, const char* mode)
{
  char path[PATH_SIZE];
  FileTool::addUserPath(name, path, sizeof path);
  write_ = mode[0] != 'r';
  fp_ = std::fopen(path, mode);
  // Missing parent directories are made only when an output needs them.
  if (!fp_ && (errno == ENOENT || errno == ENOTDIR) && (mode[0] == 'w' || mode[0] == 'a') &&
      FileTool::makeDir(path, 0755))
    fp_ = std::fopen(path, mode);
  if (!fp_) {
    // Callers probe for files that may be absent and report themselves.
    Kol::outDebug(5, "F:open failed: %s %s\n", path, mode);
    write_ = false;
    return 0;
  }
  if (!write_) {
    iobuf_.assign(READ_BUFFER + 1, '\0');
    std::setvbuf(fp_, iobuf_.data(), _IOFBF, READ_BUFFER);
  }
  type_ = LOCAL;
  open_ = true;
  return 1;
}

int File::openUrl(const char* url)
{
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (!easy || !multi) {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    Kol::outWarning("File: cannot start a transfer for %s\n", url);
    return 0;
  }
  easy_ = easy;
  multi_ = multi;
  type_ = URL;
  curl_easy_setopt(easy, CURLOPT_URL, url);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &File::curl_write);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &File::curl_header);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_multi_add_handle(multi, easy);
  CURLMcode mc = curl_multi_perform(multi, &running_);
  Kol::outDebug(5, "F:o-mp: %d %d\n", mc, running_);
  if (!running_) endTransfer();
  // A transfer that finished within its first step is open as well when it brought data.
  open_ = running_ || (!failed_ && data_.getLeft() > 0);
  if (!open_) close();
  return open_ ? 1 : 0;
}

// Reports how a finished transfer ended, once.
void File::endTransfer()
{
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(static_cast<CURLM*>(multi_), &left)) {
    if (msg->msg != CURLMSG_DONE || msg->data.result == CURLE_OK) continue;
    if (!failed_)
      Kol::outWarning("File: %s: %s\n", urlOf(easy_), curl_easy_strerror(msg->data.result));
    failed_ = true;
  }
}

int File::curl_fill_buffer(int n)
{
  while (running_ && data_.getLeft() < n) {
    long timeout = -1;
    curl_multi_timeout(static_cast<CURLM*>(multi_), &timeout);
    if (timeout < 0 || timeout > 100) timeout = 100;
    curl_multi_wait(static_cast<CURLM*>(multi_), nullptr, 0, static_cast<int>(timeout), nullptr);
    curl_multi_perform(static_cast<CURLM*>(multi_), &running_);
    Kol::outDebug(5, "F:cfb: %d %d\n", n, data_.getLeft());
    if (!running_) endTransfer();
  }
  return std::min(n, data_.getLeft());
}

size_t File::curl_write(char* ptr, size_t size, size_t nmemb, void* user)
{
  size_t n = size * nmemb;
  auto* file = static_cast<File*>(user);
  if (file->failed_) return n;
  file->data_.clearUsed();
  file->data_.add(ptr, static_cast<int>(n));
  Kol::outDebug(5, "F:cw: %d %d\n", static_cast<int>(n), file->data_.getUsed());
  return n;
}

size_t File::curl_header(char* ptr, size_t size, size_t nitems, void* user)
{
  size_t n = size * nitems;
  auto* file = static_cast<File*>(user);
  if (file->failed_) return n;
  std::string_view line(ptr, n);
  if (line.substr(0, 5) == "HTTP/") {
    if (line.find("200") == std::string_view::npos) {
      file->failed_ = true;
      std::string_view status = trimEnd(line);
      Kol::outWarning("File: %s: %.*s\n", urlOf(file->easy_), static_cast<int>(status.size()),
                      status.data());
    }
  } else if (iprefix(line, "content-length:")) {
    file->length_ = std::strtol(std::string(line.substr(15)).c_str(), nullptr, 10);
  }
  return n;
}

int File::getLine(char* buf, int size)
{
  if (!buf || size <= 0) return 0;
  buf[0] = '\0';
  if (size == 1) return 0;
  if (type_ == URL && open_) {
    curl_fill_buffer(size - 1);
    int n = data_.readLine(buf, size - 1);
    buf[n] = '\0';
    return n;
  }
  return local() ? localLine(buf, size) : 0;
}

int File::getLine(String& s)
{
  int n = local() && s.maxLength() > 1 ? localLine(s.get(), s.maxLength())
                                       : getLine(s.get(), s.maxLength());
  s.reset(n);
  return n;
}

int File::localLine(char* buf, int size)
{
  const char* own = iobuf_.empty() ? nullptr : iobuf_.data();
  return readLine(fp_, buf, size, own, own ? own + READ_BUFFER : nullptr, piece_);
}

int File::skipLine()
{
  if (type_ == URL && open_) {
    int skipped = 0;
    while (curl_fill_buffer(SKIP_CHUNK) > 0) {
      skipped += data_.skipLine();
      if (data_.getData()[data_.getIndex() - 1] == '\n') break;
    }
    return skipped > 0 ? 1 : 0;
  }
  if (!local()) return 0;
  int c = getc_unlocked(fp_);
  if (c == EOF) return 0;
  while (c != '\n' && c != EOF) c = getc_unlocked(fp_);
  return 1;
}

int File::read(void* bytes, int size, int n)
{
  if (!bytes || size <= 0 || n <= 0) return 0;
  if (type_ == URL && open_) {
    long want = static_cast<long>(size) * n;
    if (want > 0x7fffffff) return -1;
    curl_fill_buffer(static_cast<int>(want));
    int got = std::min(data_.getLeft(), static_cast<int>(want)) / size * size;
    return data_.read(bytes, got) / size;
  }
  if (!local()) return -1;
  return static_cast<int>(std::fread(bytes, size, n, fp_));
}

int File::read(Buffer& b, int n)
{
  if (n <= 0) return b.getUsed();
  if (type_ == URL && open_) {
    curl_fill_buffer(n);
    if (data_.read(b, n) == 0 && !running_) return -1;
    return b.getUsed();
  }
  if (!local()) return -1;
  b.check(b.getUsed() + n);
  size_t got = std::fread(b.getData() + b.getUsed(), 1, n, fp_);
  if (got == 0 && std::feof(fp_)) return -1;
  b.setUsed(b.getUsed() + static_cast<int>(got));
  return b.getUsed();
}

int File::write(const void* bytes, int size, int n)
{
  if (!writable() || !bytes || size <= 0 || n < 0) return -1;
  return static_cast<int>(std::fwrite(bytes, size, n, fp_));
}

int File::printf(const char* fmt, ...)
{
  if (!writable() || !fmt) return -1;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vfprintf(fp_, fmt, ap);
  va_end(ap);
  return n;
}

int File::scanf(const char* fmt, ...)
{
  if (!local() || !fmt) return -1;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vfscanf(fp_, fmt, ap);
  va_end(ap);
  return n;
}

int File::seek(long off, int whence)
{
  if (!local()) return 0;
  return std::fseek(fp_, off, whence) == 0 ? 1 : 0;
}

long File::tell() { return local() ? std::ftell(fp_) : -1; }

void File::rewind()
{
  if (local()) std::rewind(fp_);
}

bool File::endFile() { return local() && std::feof(fp_); }

int File::close()
{
  int ok = 1;
  if (type_ == URL) {
    if (multi_ && easy_) curl_multi_remove_handle(static_cast<CURLM*>(multi_), easy_);
    if (easy_) curl_easy_cleanup(static_cast<CURL*>(easy_));
    if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
  } else if (fp_ && std_) {
    std::fflush(fp_);
  } else if (fp_ && type_ == PIPE) {
    ok = pclose(fp_) == 0 ? 1 : 0;
  } else if (fp_) {
    ok = std::fclose(fp_) == 0 ? 1 : 0;
  }
  int share = share_;
  init();
  share_ = share;
  return ok;
}

}  // namespace KOL
