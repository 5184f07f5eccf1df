#include "core/BZlib.h"

#include <cstdio>

#include "core/Buffer.h"
#include "core/Kol.h"

namespace KOL {

namespace {

const char* statusText(int status)
{
  switch (status) {
    case BZ_OK:
    case BZ_RUN_OK:
    case BZ_FLUSH_OK:
    case BZ_FINISH_OK:
      return "OK";
    case BZ_STREAM_END:
      return "END";
    case BZ_DATA_ERROR:
      return "DATA ERR";
    case BZ_DATA_ERROR_MAGIC:
      return "MAGIC ERR";
    default:
      return nullptr;
  }
}

}  // namespace

BZlib::BZlib(int mode) : mode_(mode == DECOMPRESS ? DECOMPRESS : COMPRESS) { init(); }

int BZlib::init()
{
  finish();
  stream_ = bz_stream{};
  return start();
}

// Keeps the stream's areas: a new stream after the end of one goes on with the same input.
int BZlib::start()
{
  status_ = mode_ == DECOMPRESS ? BZ2_bzDecompressInit(&stream_, 0, 0)
                                : BZ2_bzCompressInit(&stream_, BLOCK_SIZE, 0, 0);
  inited_ = status_ == BZ_OK;
  if (!inited_) Kol::outWarning("BZlib: cannot start a stream (%d)\n", status_);
  return inited_ ? 1 : 0;
}

void BZlib::setIn(const void* bytes, int n)
{
  stream_.next_in = static_cast<char*>(const_cast<void*>(bytes));
  stream_.avail_in = bytes && n > 0 ? n : 0;
}

void BZlib::setOut(void* bytes, int n)
{
  stream_.next_out = static_cast<char*>(bytes);
  stream_.avail_out = bytes && n > 0 ? n : 0;
}

int BZlib::decomp()
{
  if (mode_ != DECOMPRESS) return -1;
  if (!inited_) return BZ_SEQUENCE_ERROR;
  // bzip2 keeps failing once it has failed; the error stays until init().
  if (status_ < 0) return status_;
  int previous = status_;
  status_ = BZ2_bzDecompress(&stream_);
  if (status_ == BZ_STREAM_END) {
    BZ2_bzDecompressEnd(&stream_);
    int status = status_;
    if (start()) status_ = status;
  }
  warnOnError(previous);
  return status_;
}

int BZlib::decomp(Buffer& in, Buffer& out)
{
  if (out.getFree() < MIN_ROOM) out.check(out.getUsed() + MIN_ROOM);
  int outStart = out.getUsed();
  setIn(in.getCurrent(), in.getLeft());
  setOut(out.getData() + outStart, out.getFree());
  int inLeft = in.getLeft();
  int status = decomp();
  in.inc(inLeft - getAvailIn());
  out.setUsed(out.getSize() - getAvailOut());
  return status;
}

int BZlib::comp(int action)
{
  if (mode_ != COMPRESS) return -1;
  if (!inited_) return BZ_SEQUENCE_ERROR;
  int previous = status_;
  status_ = BZ2_bzCompress(&stream_, action);
  warnOnError(previous);
  return status_;
}

void BZlib::finish()
{
  if (!inited_) return;
  if (mode_ == DECOMPRESS)
    BZ2_bzDecompressEnd(&stream_);
  else
    BZ2_bzCompressEnd(&stream_);
  inited_ = false;
}

void BZlib::warnOnError(int previous) const
{
  if (status_ >= 0 || status_ == previous) return;
  const char* text = status_ == BZ_DATA_ERROR_MAGIC ? "not a bzip2 stream"
                     : status_ == BZ_DATA_ERROR     ? "corrupt data"
                     : status_ == BZ_MEM_ERROR      ? "out of memory"
                                                    : "stream error";
  Kol::outWarning("BZlib: %s (%d)\n", text, status_);
}

void BZlib::print() const
{
  const char* text = statusText(status_);
  std::printf("%s", mode_ == DECOMPRESS ? "Decomp " : "Comp ");
  if (text)
    std::printf("%s", text);
  else
    std::printf("%d", status_);
  std::printf(" in: %u %u out: %u %u\n", stream_.avail_in, stream_.total_in_lo32, stream_.avail_out,
              stream_.total_out_lo32);
}

}  // namespace KOL
