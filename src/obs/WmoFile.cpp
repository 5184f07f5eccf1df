#include "obs/WmoFile.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/WmoData.h"
#include "obs/wmo/Net.h"

namespace KOL {

namespace {

constexpr unsigned char SOH = 0x01;
constexpr unsigned char ETX = 0x03;
constexpr unsigned char START_LINE[] = {SOH, '\r', '\r', '\n'};
constexpr int START_SIZE = 4;
// How long one wait for input lasts before the wait check is asked again.
constexpr int WAIT_MS = 1000;

// The first i from 2 on where p[i - 2 .. i] is CR CR LF, -1 when there is none. Binary
// messages hold a LF every few hundred bytes: sixteen bytes at a time is much faster than
// stopping at each one.
int findCrCrLf(const unsigned char* p, int n)
{
  int i = 2;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 2));
    __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(c, lf),
                                _mm_and_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(a, cr)));
    if (int m = _mm_movemask_epi8(hit)) return i + __builtin_ctz(static_cast<unsigned>(m));
  }
#endif
  for (; i < n; i++)
    if (p[i] == '\n' && p[i - 1] == '\r' && p[i - 2] == '\r') return i;
  return -1;
}

// The first SOH or ETX in p[0..n); n when there is none. Text holds neither, and memchr goes
// through it faster than a loop looking for both.
int findControl(const unsigned char* p, int n)
{
  const void* etx = std::memchr(p, ETX, static_cast<size_t>(n));
  int k = etx ? static_cast<int>(static_cast<const unsigned char*>(etx) - p) : n;
  const void* soh = std::memchr(p, SOH, static_cast<size_t>(k));
  return soh ? static_cast<int>(static_cast<const unsigned char*>(soh) - p) : k;
}

// The end of the last CR CR LF in p[0..n) (the index after its LF); 0 when there is none.
int afterLastCrCrLf(const unsigned char* p, int n)
{
  for (int i = n; i >= 3;) {
    const void* lf = memrchr(p, '\n', static_cast<size_t>(i));
    if (!lf) return 0;
    i = static_cast<int>(static_cast<const unsigned char*>(lf) - p);
    if (i >= 2 && p[i - 1] == '\r' && p[i - 2] == '\r') return i + 1;
  }
  return 0;
}

bool isStartLine(const char* d, int len)
{
  if (len >= START_SIZE && std::memcmp(d, START_LINE, START_SIZE) == 0) return true;
  return len > START_SIZE && static_cast<unsigned char>(d[0]) == ETX &&
         std::memcmp(d + 1, START_LINE, START_SIZE) == 0;
}

}  // namespace

void WmoFile::init()
{
  mode_ = NONE;
  spec_.clear();
  fd_ = -1;
  pollable_ = false;
  chunk_.assign(CHUNK_SIZE, 0);
  raw_.clear();
  ends_.setKind(wmo::LineEnds::FEED);
  frames_ = wmo::Framing();
  framed_.clear();
  sniffed_ = false;
  map_.detach();
  buf_ = chunk_.data();
  offset_ = 0;
  lease_checked_ = 0;
  fill_ = pos_ = 0;
  carry_[0] = carry_[1] = 0;
  carry_state_ = 0;
  pending_start_ = false;
  body_runs_ = false;
  counter_ = -1;
  bulletin_bytes_ = total_bytes_ = bulletins_ = 0;
  binary_left_ = 0;
  in_bulletin_ = false;
  last_input_ = 0;
  open_ = false;
  stopped_ = false;
  retry_attempts_ = 20;
  retry_wait_ = 15000;
  keep_waiting_ = nullptr;
  before_refill_ = nullptr;
  before_wait_ = nullptr;
}

void WmoFile::setRetry(int attempts, int wait_ms)
{
  retry_attempts_ = std::max(attempts, 0);
  retry_wait_ = std::max(wait_ms, 0);
}

int WmoFile::open(const char* name)
{
  close();
  buf_ = chunk_.data();
  offset_ = 0;
  fill_ = pos_ = 0;
  carry_state_ = 0;
  pending_start_ = in_bulletin_ = stopped_ = false;
  counter_ = -1;
  bulletin_bytes_ = total_bytes_ = bulletins_ = binary_left_ = 0;
  last_input_ = std::time(nullptr);
  ends_.setKind(wmo::LineEnds::FEED);
  frames_.setKind(wmo::Framing::SOH_ETX);
  sniffed_ = false;
  if (!name || !*name) return 0;
  int ok = StrLib::equal(name, "sock:", 5) ? openSocket(name + 5) : openFile(name);
  if (!ok) {
    if (!stopped_) Kol::outWarning("WmoFile: unable to open: %s\n", name);
    close();
    return 0;
  }
  open_ = true;
  return 1;
}

// Socket only reaches dotted addresses: a host name is looked up here.
int WmoFile::openSocket(const char* spec)
{
  spec_ = spec;
  size_t colon = spec_.rfind(':');
  if (colon != std::string::npos && colon > 0) {
    sockaddr_in addr{};
    std::string host = spec_.substr(0, colon);
    char dotted[INET_ADDRSTRLEN];
    if (!wmo::resolveHost(host.c_str(), addr) ||
        !inet_ntop(AF_INET, &addr.sin_addr, dotted, sizeof dotted))
      return 0;
    spec_ = dotted + spec_.substr(colon);
  }
  mode_ = SOCKET_MODE;
  pollable_ = true;
  sniffed_ = true;  // a feed server sends the feed as it is
  // A server waits for its feed to connect: a stop request ends that wait too.
  socket_.setWaitCheck([this] { return keepWaiting(); });
  return socket_.open(spec_.c_str(), Socket::STREAM);
}

// Local files and standard input are read below stdio so that a wait can be watched.
int WmoFile::openFile(const char* name)
{
  if (!file_.open(name, "r")) return 0;
  mode_ = FILE_MODE;
  if (file_.getType() == File::LOCAL && file_.getFP()) {
    fd_ = fileno(file_.getFP());
    struct stat st;
    pollable_ = fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode);
    // A file saved with other line ends or framing is read and converted, not mapped.
    if (!pollable_) {
      std::vector<unsigned char> head(wmo::LineEnds::SNIFF);
      ssize_t n = pread(fd_, head.data(), head.size(), 0);
      takeHead(n > 0 ? wmo::Framing::sniff(head.data(), static_cast<size_t>(n), true)
                     : wmo::Framing::Head(),
               name);
    }
    // Standard input is shared with whoever started the program: it is not leased.
    if (!pollable_ && !FileTool::isStdio(name) && !converts()) map_.attach(fd_);
  }
  return 1;
}

// What the first start line shows holds for the whole file.
void WmoFile::takeHead(wmo::Framing::Head head, const char* name)
{
  sniffed_ = true;
  auto kind = head.ends == wmo::LineEnds::UNKNOWN ? wmo::LineEnds::FEED : head.ends;
  ends_.setKind(kind);
  frames_.setKind(head.framing);
  framed_.clear();
  if (converts())
    Kol::outMessage(Kol::OUT1, "WmoFile: %s frames its bulletins with %s, its lines end in %s\n",
                    name ? name : "the feed", wmo::Framing::name(head.framing),
                    wmo::LineEnds::name(kind));
}

int WmoFile::close()
{
  leaveMapping();
  socket_.close();
  file_.close();
  mode_ = NONE;
  fd_ = -1;
  pollable_ = false;
  open_ = false;
  return 1;
}

void WmoFile::take(int n)
{
  pos_ += n;
  total_bytes_ += n;
  bulletin_bytes_ += n;
  binary_left_ = std::max(binary_left_ - n, 0L);
}

int WmoFile::read(unsigned char& byte)
{
  if (!open_ || (pos_ >= fill_ && refill() <= 0)) return 0;
  byte = buf_[pos_];
  take(1);
  return 1;
}

int WmoFile::read(void* bytes, int n)
{
  auto* out = static_cast<unsigned char*>(bytes);
  int got = 0;
  while (open_ && got < n && (pos_ < fill_ || refill() > 0)) {
    int k = std::min(n - got, fill_ - pos_);
    std::memcpy(out + got, buf_ + pos_, k);
    take(k);
    got += k;
  }
  return got;
}

int WmoFile::read(WmoData& line)
{
  line.clear();
  if (!open_) return 0;
  if (pending_start_) {
    pending_start_ = false;
    line.add(START_LINE, START_SIZE);
    line.setTerminator(WmoData::NEWLINE);
    classify(line);
    return 1;
  }
  if (body_runs_ && counter_ >= 3 && binary_left_ == 0 && carry_state_ == 0 && pos_ < fill_ &&
      bodyRun(line))
    return 1;
  bool ended = false;
  while (!ended && line.getFree() > 0) {
    if (pos_ >= fill_) {
      line.own();
      if (refill() <= 0) return endOfInput(line);
    }
    if (line.getLength() == 0 && binary_left_ == 0 && buf_[pos_] == ETX && loneEtx()) {
      line.add(static_cast<char>(ETX));
      take(1);
      line.setType(WmoData::END);
      line.setTerminator(WmoData::ETX);
      carry_state_ = 0;
      classify(line);
      return 1;
    }
    ended = scan(line);
  }
  carry_state_ = 0;
  if (ended) {
    line.setTerminator(WmoData::NEWLINE);
    splitStart(line);
  } else {
    // Cut at the line size: its last bytes may begin the line end that the next line finishes.
    std::memcpy(carry_, line.getData() + line.getLength() - 2, 2);
    carry_state_ = 1;
  }
  classify(line);
  if (line.isStart() && map_.isAttached()) checkLease(line);
  return 1;
}

// Between bulletins, once a second: a file that another process wants to write is let go of
// at once rather than at the end of the window, so that the writer waits no longer than that.
void WmoFile::checkLease(WmoData& line)
{
  long now = std::time(nullptr);
  if (now == lease_checked_) return;
  lease_checked_ = now;
  if (map_.intact()) return;
  line.own();
  if (before_refill_) before_refill_();
  leaveMapping();
}

// An ETX starts the line: it stands alone unless a start line follows right behind it (or
// may, as far as the bytes at hand show).
bool WmoFile::loneEtx() const
{
  int rest = std::min(fill_ - pos_ - 1, START_SIZE);
  return rest == 0 || std::memcmp(buf_ + pos_ + 1, START_LINE, rest) != 0;
}

bool WmoFile::scan(WmoData& line)
{
  const unsigned char* from = buf_ + pos_;
  int n = std::min(fill_ - pos_, line.getFree());
  int lf = lineEnd(line, from, n);
  int k = lf >= 0 ? lf + 1 : n;
  line.addInPlace(from, k);
  take(k);
  return lf >= 0;
}

// Whole lines from the current one on, up to the first SOH or ETX, and short enough that none
// of them could have been cut at the line size; false when there is not one.
bool WmoFile::bodyRun(WmoData& line)
{
  const unsigned char* p = buf_ + pos_;
  int n = std::min(fill_ - pos_, WmoData::DATA_SIZE - 1);
  int end = afterLastCrCrLf(p, findControl(p, n));
  if (end == 0) return false;
  line.addInPlace(p, end);
  take(end);
  line.setTerminator(WmoData::NEWLINE);
  classify(line);
  return true;
}

// Where the line ends within the next n bytes (the index of the LF of its CR CR LF), -1 when it
// does not. The CR CR may have come before: at the end of the line so far, or of the line cut
// at the line size before it.
int WmoFile::lineEnd(const WmoData& line, const unsigned char* p, int n) const
{
  const auto* d = reinterpret_cast<const unsigned char*>(line.getData());
  int len = line.getLength();
  unsigned char before[2] = {0, 0};
  for (int i = 0; i < 2; i++) {
    int at = len - 2 + i;  // in the line; below 0 in the carried bytes
    if (at >= 0)
      before[i] = d[at];
    else if (carry_state_)
      before[i] = carry_[2 + at];
  }
  if (n > 0 && p[0] == '\n' && before[0] == '\r' && before[1] == '\r') return 0;
  if (n > 1 && p[1] == '\n' && p[0] == '\r' && before[1] == '\r') return 1;
  return findCrCrLf(p, n);
}

// A start line at the end of a longer line (garbage or a bulletin cut short before it) is a
// line of its own: the bytes before it end there, with an ETX if the last of them is one.
void WmoFile::splitStart(WmoData& line)
{
  const char* d = line.getData();
  int len = line.getLength();
  if (len <= START_SIZE || static_cast<unsigned char>(d[len - START_SIZE]) != SOH) return;
  if (len == START_SIZE + 1 && static_cast<unsigned char>(d[0]) == ETX) return;
  line.trunc(len - START_SIZE);
  bool etx = binary_left_ == 0 && static_cast<unsigned char>(d[len - START_SIZE - 1]) == ETX;
  line.setTerminator(etx ? WmoData::ETX : WmoData::NONE);
  binary_left_ = 0;
  pending_start_ = true;
}

void WmoFile::classify(WmoData& line)
{
  if (isStartLine(line.getData(), line.getLength())) {
    line.setType(WmoData::START);
    counter_ = 0;
    bulletin_bytes_ = line.getLength();
    bulletins_++;
    in_bulletin_ = true;
    binary_left_ = 0;
  } else {
    if (counter_ >= 0) counter_++;
    if (line.getType() != WmoData::END) {
      static const int by_index[] = {WmoData::DATA, WmoData::SEQUENCE, WmoData::HEADING,
                                     WmoData::AWIPS};
      line.setType(counter_ >= 1 && counter_ <= 3 ? by_index[counter_] : WmoData::DATA);
    }
  }
  line.setIndex(counter_);
  if (line.endsBulletin()) {
    counter_ = -1;
    in_bulletin_ = false;
  }
}

int WmoFile::endOfInput(WmoData& line)
{
  carry_state_ = 0;
  int len = line.getLength();
  if (stopped_ || mode_ != SOCKET_MODE) {
    // The last bytes of a file are a line of their own, which closes its bulletin when it ends
    // in an ETX.
    if (stopped_ || len == 0) return 0;
    if (binary_left_ == 0 && static_cast<unsigned char>(line.getData()[len - 1]) == ETX)
      line.setTerminator(WmoData::ETX);
    classify(line);
    return 1;
  }
  line.setType(WmoData::END_FILE);
  line.setIndex(counter_);
  counter_ = -1;
  binary_left_ = 0;
  in_bulletin_ = false;
  return reconnect();
}

int WmoFile::refill()
{
  if (before_refill_) before_refill_();
  if (map_.isAttached()) return refillMapped();
  pos_ = fill_ = 0;
  buf_ = chunk_.data();
  if (!sniffed_) return sniffInput();
  if (converts()) return readConverted();
  for (;;) {
    if (!waitInput()) return 0;
    int n = readSource(chunk_.data(), CHUNK_SIZE);
    if (n > 0) {
      fill_ = n;
      last_input_ = std::time(nullptr);
      Kol::outDebug(4, "READ: %d\n", n);
      return n;
    }
    if (n < 0 && errno == EINTR) continue;
    return 0;
  }
}

// A pipe or standard input tells its line ends and framing in its first bytes: they are read
// until they do (a quarter chunk at most, so that they fit the chunk once converted).
int WmoFile::sniffInput()
{
  constexpr size_t MOST = CHUNK_SIZE / 4;
  raw_.resize(MOST);
  size_t have = 0;
  wmo::Framing::Head head;
  bool end = false;
  while (!end) {
    if (!waitInput()) return 0;
    int n = readSource(raw_.data() + have, static_cast<int>(MOST - have));
    if (n < 0 && errno == EINTR) continue;
    have += static_cast<size_t>(std::max(n, 0));
    end = n <= 0 || have == MOST;
    head = wmo::Framing::sniff(raw_.data(), have, end);
    end = end || head.ends != wmo::LineEnds::UNKNOWN;
  }
  takeHead(head, nullptr);
  if (have > 0) last_input_ = std::time(nullptr);
  if (converts()) {
    fill_ = convert(raw_.data(), have);
    return fill_ > 0 ? fill_ : readConverted();
  }
  std::memcpy(chunk_.data(), raw_.data(), have);
  fill_ = static_cast<int>(have);
  return fill_;
}

// The next bytes of a file saved with other line ends or framing, made the feed's.
int WmoFile::readConverted()
{
  constexpr int PIECE = static_cast<int>((CHUNK_SIZE - wmo::LineEnds::ROOM) / 3);
  raw_.resize(PIECE);
  for (;;) {
    if (!waitInput()) return 0;
    int n = readSource(raw_.data(), PIECE);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fill_ = finishConverted();
      return fill_;
    }
    fill_ = convert(raw_.data(), static_cast<size_t>(n));
    last_input_ = std::time(nullptr);
    if (fill_ > 0) return fill_;
  }
}

// Line ends first, then the framing, which looks at whole lines.
int WmoFile::convert(const unsigned char* raw, size_t n)
{
  const unsigned char* p = raw;
  if (ends_.converts()) {
    n = ends_.convert(raw, n, chunk_.data());
    p = chunk_.data();
  }
  if (!frames_.converts()) {
    buf_ = p;
    return static_cast<int>(n);
  }
  framed_.clear();
  frames_.convert(p, n, framed_);
  buf_ = framed_.data();
  return static_cast<int>(framed_.size());
}

int WmoFile::finishConverted()
{
  size_t n = ends_.finish(chunk_.data());
  if (!frames_.converts()) return static_cast<int>(n);
  framed_.clear();
  frames_.convert(chunk_.data(), n, framed_);
  frames_.finish(framed_);
  buf_ = framed_.data();
  return static_cast<int>(framed_.size());
}

// The next window of a mapped file; a file that another process wants to write is read on
// from where the mapping left it.
int WmoFile::refillMapped()
{
  offset_ += fill_;
  pos_ = fill_ = 0;
  long n = map_.intact() ? map_.map(offset_) : -1;
  // At the end the file is let go of at once: a writer should not wait for the reader to close.
  if (n <= 0) {
    leaveMapping();
    return n < 0 ? refill() : 0;
  }
  buf_ = map_.data();
  fill_ = static_cast<int>(n);
  last_input_ = std::time(nullptr);
  return fill_;
}

// Reads on from the current byte instead of mapping: nothing may still refer to mapped bytes.
void WmoFile::leaveMapping()
{
  if (!map_.isAttached()) return;
  long at = offset_ + pos_;
  map_.detach();
  buf_ = chunk_.data();
  offset_ = 0;
  fill_ = pos_ = 0;
  if (fd_ >= 0) lseek(fd_, at, SEEK_SET);
}

// Waits for input on a source that may have none for a while, asking the wait check between
// waits; false when it says to give up.
bool WmoFile::waitInput()
{
  if (!pollable_) return true;
  int fd = mode_ == SOCKET_MODE ? socket_.getDescriptor() : fd_;
  if (fd < 0) return true;
  for (int wait = 0;; wait = WAIT_MS) {
    pollfd p{fd, POLLIN, 0};
    int r = poll(&p, 1, wait);
    if (r > 0 || (r < 0 && errno != EINTR)) return true;
    if (wait == 0 && before_wait_) before_wait_();
    if (wait > 0 && !keepWaiting()) return false;
  }
}

bool WmoFile::keepWaiting()
{
  if (!keep_waiting_ || keep_waiting_()) return true;
  stopped_ = true;
  return false;
}

int WmoFile::readSource(unsigned char* bytes, int n)
{
  if (mode_ == SOCKET_MODE) return socket_.read(bytes, n);
  if (fd_ >= 0) return static_cast<int>(::read(fd_, bytes, n));
  return file_.read(bytes, 1, n);
}

int WmoFile::reconnect()
{
  Kol::outMessage(Kol::OUT1, "WmoFile: feed connection ended, connecting again\n");
  if (before_wait_) before_wait_();
  if (socket_.getKind() == Socket::STREAM_SERVER) return socket_.reconnect();
  for (int attempt = 0; attempt < retry_attempts_; attempt++) {
    if (attempt > 0) {
      for (int waited = 0; waited < retry_wait_; waited += WAIT_MS) {
        if (!keepWaiting()) return 0;
        usleep(1000 * std::min(WAIT_MS, retry_wait_ - waited));
      }
    }
    if (socket_.open(spec_.c_str(), Socket::STREAM)) return 1;
  }
  return 0;
}

}  // namespace KOL
