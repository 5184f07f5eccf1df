// Simple packing: one unsigned integer of a fixed width per value. Each width has a reader of its
// own: whole octets and 12 bits as plain byte loops the compiler vectorises, other widths eight
// values (a whole number of octets) at a time with constant shifts; the integers of a slice are
// then scaled in one multiply-add while they are still in the first-level cache. Where the
// processor has AVX2, widths up to 25 bits are unpacked and scaled eight at a time in vector
// registers instead.
#include <array>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOL_GRIB_AVX2 1
#endif

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

// Integers n of width W starting at bit `bit` of p[0..size), into x; the caller has checked that
// they lie inside the data.
using IntReader = void (*)(const uint8_t* p, size_t size, uint64_t bit, size_t n, uint32_t* x);

// Any width, one value at a time: where the faster forms cannot start or must stop.
void readEach(const uint8_t* p, size_t size, uint64_t bit, size_t n, int width, uint32_t* x)
{
  BitReader bits(p, size);
  bits.seek(bit);
  bits.getMany(width, n, x);
}

// Whole octets: W of 8, 16, 24 or 32, big-endian.
template <int W>
void readOctets(const uint8_t* p, uint64_t bit, size_t n, uint32_t* x)
{
  constexpr int B = W / 8;
  const uint8_t* q = p + bit / 8;
  for (size_t i = 0; i < n; i++, q += B) {
    uint32_t v = q[0];
    if constexpr (B > 1) v = (v << 8) | q[1];
    if constexpr (B > 2) v = (v << 8) | q[2];
    if constexpr (B > 3) v = (v << 8) | q[3];
    x[i] = v;
  }
}

// 12 bits: two values in three octets, from an even value.
void readTwelve(const uint8_t* p, uint64_t bit, size_t pairs, uint32_t* x)
{
  const uint8_t* q = p + bit / 8;
  for (size_t i = 0; i < pairs; i++, q += 3) {
    x[2 * i] = (uint32_t(q[0]) << 4) | (q[1] >> 4);
    x[2 * i + 1] = (uint32_t(q[1] & 15) << 8) | q[2];
  }
}

// Value K of eight of W bits from the octet at q: out of the first 64 bits w when it lies there,
// else out of the 64 bits loaded at its own octet.
template <int W, size_t K>
uint32_t eighth(const uint8_t* q, uint64_t w)
{
  if constexpr ((K + 1) * W <= 64)
    return static_cast<uint32_t>((w << (K * W)) >> (64 - W));
  else
    return static_cast<uint32_t>((BitReader::load64(q + K * W / 8) << (K * W % 8)) >> (64 - W));
}

template <int W, size_t... K>
void readEight(const uint8_t* q, uint32_t* x, std::index_sequence<K...>)
{
  const uint64_t w = BitReader::load64(q);
  ((x[K] = eighth<W, K>(q, w)), ...);
}

template <int W>
void readWidth(const uint8_t* p, size_t size, uint64_t bit, size_t n, uint32_t* x)
{
  // Up to an octet boundary one at a time; in the middle in the fast form; the end one at a time
  // again, as the fast forms may load up to 8 octets past their last value.
  size_t head = 0;
  while (head < n && (bit + head * W) % 8 != 0) head++;
  readEach(p, size, bit, head, W, x);
  bit += head * W, x += head, n -= head;
  const size_t room = size - bit / 8 > 8 ? (size - bit / 8 - 8) * 8 / W : 0;
  size_t fast = n < room ? n : room;
  if constexpr (W % 8 == 0) {
    readOctets<W>(p, bit, fast, x);
  } else if constexpr (W == 12) {
    fast &= ~size_t(1);
    readTwelve(p, bit, fast / 2, x);
  } else {
    fast &= ~size_t(7);
    for (size_t i = 0; i < fast; i += 8)
      readEight<W>(p + (bit + i * W) / 8, x + i, std::make_index_sequence<8>());
  }
  readEach(p, size, bit + fast * W, n - fast, W, x + fast);
}

template <size_t... W>
constexpr std::array<IntReader, sizeof...(W)> makeReaders(std::index_sequence<W...>)
{
  return {{readWidth<int(W) + 1>...}};
}

// The reader of width w (1 to 32) at index w - 1.
constexpr auto kReaders = makeReaders(std::make_index_sequence<32>());

#ifdef KOL_GRIB_AVX2
// Groups of eight values of W bits (at most 25), which fill W octets from an octet boundary,
// unpacked and scaled in AVX2 registers: each 32-bit lane takes the four octets its value starts
// in, big-endian, shifts the value's first bit to the top and then down to the bottom. The same
// operations in the same order as the scalar path, so the same values. Returns the number of
// values done: the whole groups whose loads stay inside the data.
__attribute__((target("avx2"))) size_t scaleGroupsAvx2(const uint8_t* p, size_t size, uint64_t bit,
                                                       size_t n, int W, const Scaling& s, float* v)
{
  const size_t start = bit / 8;
  const size_t half = size_t(W) / 2;  // the octet where the fifth value starts: 16 octets from
                                      // the group's start and 16 from there are loaded
  if (size - start < half + 16) return 0;
  size_t groups = (size - start - half - 16) / size_t(W) + 1;
  if (groups > n / 8) groups = n / 8;
  alignas(32) int8_t order[32];
  alignas(32) int32_t up[8];
  for (int k = 0; k < 8; k++) {
    const int first = k * W - (k < 4 ? 0 : 8 * int(half));  // within its 16 octets
    for (int j = 0; j < 4; j++) order[4 * k + j] = int8_t(first / 8 + 3 - j);
    up[k] = first % 8;
  }
  const __m256i shuffle = _mm256_load_si256(reinterpret_cast<const __m256i*>(order));
  const __m256i shiftUp = _mm256_load_si256(reinterpret_cast<const __m256i*>(up));
  const __m128i shiftDown = _mm_cvtsi32_si128(32 - W);
  const __m256 baseF = _mm256_set1_ps(s.baseF), stepF = _mm256_set1_ps(s.stepF);
  const __m256d base = _mm256_set1_pd(s.base), step = _mm256_set1_pd(s.step);
  for (size_t g = 0; g < groups; g++, v += 8) {
    const uint8_t* q = p + start + g * size_t(W);
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + half));
    __m256i x = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    x = _mm256_srl_epi32(_mm256_sllv_epi32(_mm256_shuffle_epi8(x, shuffle), shiftUp), shiftDown);
    if (s.inFloat) {
      _mm256_storeu_ps(v, _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(x), stepF), baseF));
    } else {
      const __m256d a = _mm256_cvtepi32_pd(_mm256_castsi256_si128(x));
      const __m256d b = _mm256_cvtepi32_pd(_mm256_extracti128_si256(x, 1));
      _mm_storeu_ps(v, _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(a, step), base)));
      _mm_storeu_ps(v + 4, _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(b, step), base)));
    }
  }
  return groups * 8;
}

bool haveAvx2()
{
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

}  // namespace

void unpackSimpleSlice(const Packing& pack, const Scaling& s, size_t first, size_t n, uint32_t* x,
                       float* v, bool vectors)
{
  const int w = pack.bits;
  const IntReader read = kReaders[size_t(w) - 1];
  const uint8_t* p = pack.data.data();
  const size_t size = pack.data.size();
  size_t done = 0;
#ifdef KOL_GRIB_AVX2
  if (vectors && w <= 25 && haveAvx2()) {
    while (done < n && (first + done) * w % 8 != 0) done++;
    read(p, size, uint64_t(first) * w, done, x);
    s.apply(x, done, v);
    done += scaleGroupsAvx2(p, size, uint64_t(first + done) * w, n - done, w, s, v + done);
  }
#else
  (void)vectors;
#endif
  read(p, size, uint64_t(first + done) * w, n - done, x);
  s.apply(x, n - done, v + done);
}

bool unpackSimple(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  if (pack.bits == 0) {
    putConstantField(pack, values);
    return true;
  }
  if (pack.bits > 32) {
    Kol::outWarning("GribFile: bit width %d over 32\n", pack.bits);
    return false;
  }
  if (uint64_t(pack.data.size()) * 8 < uint64_t(pack.bits) * count) {
    Kol::outWarning("GribFile: data section holds %zu bytes, %zu values of %d bits need more\n",
                    pack.data.size(), count, pack.bits);
    return false;
  }
  const Scaling scaling(pack);
  // Slices keep the scratch in the first-level cache whatever the field size.
  constexpr size_t SLICE = 2048;
  uint32_t x[SLICE];
  float v[SLICE];
  for (size_t r = 0; r < values.rows(); r++) {
    size_t first, n;
    values.rowValues(r, first, n);
    for (size_t done = 0; done < n; done += SLICE) {
      const size_t m = n - done < SLICE ? n - done : SLICE;
      if (float* at = values.next(m)) {
        unpackSimpleSlice(pack, scaling, first + done, m, x, at);
      } else {
        unpackSimpleSlice(pack, scaling, first + done, m, x, v);
        values.put(v, m);
      }
    }
  }
  return true;
}

}  // namespace KOL::grib
