// JPEG 2000 packing: the data section is a JPEG 2000 code stream of the scaled integers,
// decoded from memory with OpenJPEG.
#include <openjpeg.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/Kol.h"
#include "grid/grib/DecodeThreads.h"
#include "grid/grib/PageReleaser.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

struct MemoryStream {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
};

OPJ_SIZE_T readStream(void* buffer, OPJ_SIZE_T n, void* user)
{
  auto* m = static_cast<MemoryStream*>(user);
  if (m->pos >= m->size) return static_cast<OPJ_SIZE_T>(-1);
  size_t k = n < m->size - m->pos ? n : m->size - m->pos;
  std::memcpy(buffer, m->data + m->pos, k);
  m->pos += k;
  return k;
}

OPJ_OFF_T skipStream(OPJ_OFF_T n, void* user)
{
  auto* m = static_cast<MemoryStream*>(user);
  if (n < 0) {
    size_t back = static_cast<size_t>(-n) < m->pos ? static_cast<size_t>(-n) : m->pos;
    m->pos -= back;
    return -static_cast<OPJ_OFF_T>(back);
  }
  size_t k = static_cast<size_t>(n) < m->size - m->pos ? static_cast<size_t>(n) : m->size - m->pos;
  m->pos += k;
  return static_cast<OPJ_OFF_T>(k);
}

OPJ_BOOL seekStream(OPJ_OFF_T n, void* user)
{
  auto* m = static_cast<MemoryStream*>(user);
  if (n < 0 || static_cast<size_t>(n) > m->size) return OPJ_FALSE;
  m->pos = static_cast<size_t>(n);
  return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecDeleter {
  void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
  void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

// The decoded image, or nullptr when OpenJPEG refuses the stream. OpenJPEG decodes the code
// blocks on decodeThreads() threads (workers of its own, gone with the codec); the values do not
// depend on their number.
std::unique_ptr<opj_image_t, ImageDeleter> decodeImage(const Octets& data)
{
  static const uint8_t jp2Signature[] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' '};
  bool jp2 = data.size() >= 8 && std::memcmp(data.data(), jp2Signature, 8) == 0;
  std::unique_ptr<opj_codec_t, CodecDeleter> codec(
      opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return nullptr;
  opj_set_error_handler(codec.get(), quiet, nullptr);
  opj_set_warning_handler(codec.get(), quiet, nullptr);
  opj_set_info_handler(codec.get(), quiet, nullptr);
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  if (!opj_setup_decoder(codec.get(), &params)) return nullptr;
  // One thread is the caller's own: OpenJPEG is then asked for no pool at all.
  const int threads = decodeThreads();
  opj_codec_set_threads(codec.get(), threads > 1 ? threads : 0);

  MemoryStream mem{data.data(), data.size()};
  std::unique_ptr<opj_stream_t, StreamDeleter> stream(opj_stream_create(1 << 16, OPJ_TRUE));
  if (!stream) return nullptr;
  opj_stream_set_user_data(stream.get(), &mem, nullptr);
  opj_stream_set_user_data_length(stream.get(), data.size());
  opj_stream_set_read_function(stream.get(), readStream);
  opj_stream_set_skip_function(stream.get(), skipStream);
  opj_stream_set_seek_function(stream.get(), seekStream);

  opj_image_t* raw = nullptr;
  if (!opj_read_header(stream.get(), codec.get(), &raw)) {
    if (raw) opj_image_destroy(raw);
    return nullptr;
  }
  std::unique_ptr<opj_image_t, ImageDeleter> image(raw);
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get()))
    return nullptr;
  return image;
}

// The image's integers into values where they lie, a float in the place of each integer.
float* scaleInPlace(const Packing& pack, OPJ_INT32* data, size_t n)
{
  static_assert(sizeof(OPJ_INT32) == sizeof(float), "32-bit samples");
  const Scaling scale(pack);
  auto* p = reinterpret_cast<unsigned char*>(data);
  for (size_t i = 0; i < n; i++, p += sizeof(float)) {
    uint32_t x;
    std::memcpy(&x, p, sizeof x);
    const float v = scale(x);
    std::memcpy(p, &v, sizeof v);
  }
  return reinterpret_cast<float*>(data);
}

// The image's integers into values spread over the bitmap's points, a slice at a time, releasing
// each converted slice of the image so that the image and the values never both occupy memory
// whole.
void convertSlices(const Packing& pack, opj_image_comp_t& c, size_t n, ValueSink& values)
{
  constexpr size_t SLICE = size_t(1) << 16;
  auto* x = reinterpret_cast<uint32_t*>(c.data);
  PageReleaser pages(x, n * sizeof *x);
  for (size_t done = 0; done < n; done += SLICE) {
    const size_t m = n - done < SLICE ? n - done : SLICE;
    values.putScaled(pack, x + done, m);
    pages.usedBefore(x + done + m);
  }
}

}  // namespace

bool decodeJpeg2000Image(const Octets& data) { return decodeImage(data) != nullptr; }

bool unpackJpeg2000(const Packing& pack, ValueSink& values)
{
  if (pack.bits == 0 || pack.data.size() == 0) {
    putConstantField(pack, values);
    return true;
  }
  // The codec and its stream are gone once the image is returned: only the image remains.
  auto image = decodeImage(pack.data);
  if (!image || image->numcomps < 1 || !image->comps[0].data) {
    Kol::outWarning("GribFile: jpc_decode error\n");
    return false;
  }
  opj_image_comp_t& c = image->comps[0];
  const size_t n = size_t(c.w) * c.h;
  if (n != values.count()) {
    Kol::outWarning("GribFile: JPEG 2000 image holds %zu values, %zu expected\n", n,
                    values.count());
    return false;
  }
  if (!values.canTakeOver()) {
    convertSlices(pack, c, n, values);
    return true;
  }
  float* block = scaleInPlace(pack, c.data, n);
  c.data = nullptr;
  values.takeOver(block, opj_image_data_free);
  return true;
}

}  // namespace KOL::grib
