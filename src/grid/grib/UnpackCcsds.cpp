// CCSDS packing: the data section is a CCSDS 121.0 (adaptive Rice) stream of the scaled integers,
// decoded with libaec in slices so that no buffer of the whole field is needed.
#include <libaec.h>

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

// Octets of one decoded sample in memory: 1, 2 or 4 (no 3-byte samples are asked for).
unsigned sampleBytes(int bits) { return bits <= 8 ? 1 : bits <= 16 ? 2 : 4; }

// Samples of B big-endian bytes into x.
void samplesToInts(const uint8_t* p, size_t n, unsigned bytes, uint32_t* x)
{
  for (size_t i = 0; i < n; i++, p += bytes) {
    uint32_t v = 0;
    for (unsigned k = 0; k < bytes; k++) v = (v << 8) | p[k];
    x[i] = v;
  }
}

}  // namespace

bool unpackCcsds(const Packing& pack, ValueSink& values)
{
  if (pack.bits == 0 || pack.data.size() == 0) {
    putConstantField(pack, values);
    return true;
  }
  const Octets& drs = pack.drs;
  aec_stream strm{};
  strm.bits_per_sample = static_cast<unsigned>(pack.bits);
  strm.block_size = drs.u1(23);
  strm.rsi = drs.u2(24);
  // The byte order and width of samples in memory are ours to choose; the other flags describe
  // the stream.
  strm.flags = (drs.u1(22) & ~unsigned(AEC_DATA_3BYTE)) | AEC_DATA_MSB;
  strm.next_in = pack.data.data();
  strm.avail_in = pack.data.size();
  if (aec_decode_init(&strm) != AEC_OK) {
    Kol::outWarning("GribFile: CCSDS parameters refused (block %u, interval %u, %d bits)\n",
                    strm.block_size, strm.rsi, pack.bits);
    return false;
  }
  const unsigned bytes = sampleBytes(pack.bits);
  constexpr size_t SLICE = 4096;
  uint8_t raw[SLICE * 4];
  uint32_t x[SLICE];
  size_t done = 0;
  int status = AEC_OK;
  while (done < values.count() && status == AEC_OK) {
    const size_t want = values.count() - done < SLICE ? values.count() - done : SLICE;
    strm.next_out = raw;
    strm.avail_out = want * bytes;
    status = aec_decode(&strm, AEC_NO_FLUSH);
    const size_t got = (want * bytes - strm.avail_out) / bytes;
    if (got == 0) break;
    samplesToInts(raw, got, bytes, x);
    values.putScaled(pack, x, got);
    done += got;
  }
  aec_decode_end(&strm);
  if (status != AEC_OK) {
    Kol::outWarning("GribFile: CCSDS decoding error %d\n", status);
    return false;
  }
  return true;
}

}  // namespace KOL::grib
