#include "core/Zlib.h"

#include <cstdio>

#include "core/Buffer.h"
#include "core/Kol.h"

namespace KOL {

namespace {

// zlib and gzip headers are both recognised.
constexpr int AUTO_HEADER_WINDOW = 15 + 32;

const char* statusText(int status)
{
  switch (status) {
    case Z_OK:
      return "OK";
    case Z_STREAM_END:
      return "END";
    case Z_BUF_ERROR:
      return "BUF ERR";
    case Z_MEM_ERROR:
      return "MEM ERR";
    case Z_DATA_ERROR:
      return "DATA ERR";
    case Z_STREAM_ERROR:
      return "STRM ERR";
    default:
      return nullptr;
  }
}

}  // namespace

Zlib::Zlib(int mode) : mode_(mode == DECOMPRESS ? DECOMPRESS : COMPRESS) { init(); }

int Zlib::init()
{
  finish();
  stream_ = z_stream{};
  status_ = mode_ == DECOMPRESS ? inflateInit2(&stream_, AUTO_HEADER_WINDOW)
                                : deflateInit(&stream_, Z_DEFAULT_COMPRESSION);
  ready_ = status_ == Z_OK;
  if (!ready_) Kol::outWarning("Zlib: cannot start a stream (%d)\n", status_);
  return ready_ ? 1 : 0;
}

void Zlib::set(const void* in, int inLen, void* out, int outLen)
{
  stream_.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  stream_.avail_in = in && inLen > 0 ? inLen : 0;
  stream_.next_out = static_cast<Bytef*>(out);
  stream_.avail_out = out && outLen > 0 ? outLen : 0;
}

int Zlib::decomp()
{
  if (mode_ != DECOMPRESS) return -1;
  if (!ready_) return Z_STREAM_ERROR;
  int previous = status_;
  status_ = inflate(&stream_, Z_PARTIAL_FLUSH);
  // The next call begins a new stream from the input that is left.
  if (status_ == Z_STREAM_END) inflateReset(&stream_);
  warnOnError(previous);
  return status_;
}

int Zlib::decomp(Buffer& in, Buffer& out)
{
  int outStart = out.getIndex();
  set(in.getCurrent(), in.getLeft(), out.getData() + outStart, out.getSize() - outStart);
  int inLeft = in.getLeft();
  int status = decomp();
  in.inc(inLeft - getAvailIn());
  out.setUsed(out.getSize() - getAvailOut());
  return status;
}

int Zlib::comp(int flush)
{
  if (mode_ != COMPRESS) return -1;
  if (!ready_) return Z_STREAM_ERROR;
  int previous = status_;
  status_ = deflate(&stream_, flush);
  warnOnError(previous);
  return status_;
}

void Zlib::finish()
{
  if (!ready_) return;
  if (mode_ == DECOMPRESS)
    inflateEnd(&stream_);
  else
    deflateEnd(&stream_);
  ready_ = false;
  status_ = FINISHED;
}

// A status repeated on the next call is not reported again.
void Zlib::warnOnError(int previous) const
{
  if (status_ == previous) return;
  if (status_ == Z_DATA_ERROR || status_ == Z_MEM_ERROR || status_ == Z_STREAM_ERROR ||
      status_ == Z_NEED_DICT)
    Kol::outWarning("Zlib: %s (stream byte %lu)\n", stream_.msg ? stream_.msg : "stream error",
                    stream_.total_in);
}

void Zlib::print() const
{
  const char* text = status_ == FINISHED ? "FIN" : statusText(status_);
  std::printf("%s", mode_ == DECOMPRESS ? "Decomp " : "Comp ");
  if (text)
    std::printf("%s", text);
  else
    std::printf("%d", status_);
  std::printf(" in: %u %lu out: %u %lu\n", stream_.avail_in, stream_.total_in, stream_.avail_out,
              stream_.total_out);
}

}  // namespace KOL
