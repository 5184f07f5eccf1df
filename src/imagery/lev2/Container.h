// The layers around an Archive II volume's messages (NOAA ICD for the RDA/RPG, document 2620002,
// and the Archive II/User ICD, 2620010): a whole-file gzip or bzip2 wrapping, the 24-byte volume
// header, and the LDM records, each an int32 control word (its size, negative for the last
// record) and a bzip2 stream; older volumes hold the raw message stream instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imagery/nids/DefaultInit.h"

namespace KOL::lev2 {

// Room for decompressed bytes, not cleared before they are written.
using Bytes = std::vector<uint8_t, nids::DefaultInit<uint8_t>>;

struct VolumeHeader {
  bool present = false;
  std::string tape, extension, icao;  // "AR2V0006." or "ARCHIVE2.", "001", "KTLX"
  long days = 0, ms = 0;              // day 1 = 1 January 1970, milliseconds of the day
};

struct Record {
  std::size_t offset = 0, size = 0;
  bool bzip2 = false;
  bool truncated = false;  // its control word promised more bytes than the file holds
};

constexpr std::size_t VOLUME_HEADER_SIZE = 24;

// The bytes of a file, or of every file of a folder of streamed chunks in name order; a gzip or
// bzip2 wrapping of the whole is undone. False with the reason when nothing could be read.
bool loadVolume(const std::string& path, std::vector<uint8_t>& out, std::string& why);
// The first n bytes of a file (the first file of a folder), a gzip or bzip2 wrapping undone.
std::vector<uint8_t> readHead(const std::string& path, std::size_t n);
// Undoes a whole-file gzip or bzip2 wrapping in place; false with the reason when it fails.
bool unwrap(std::vector<uint8_t>& bytes, std::string& why);
// The volume header at the start, when there is one; the bytes it takes (0 or 24).
std::size_t readVolumeHeader(const uint8_t* p, std::size_t n, VolumeHeader& h);
// The records after the header: LDM records when a bzip2 stream follows the first control
// word, else one plain record of the raw message stream.
std::vector<Record> splitRecords(const uint8_t* p, std::size_t n, std::size_t start);
// One bzip2 stream into out (grown as needed, outSize bytes of it used); false with the reason when
// the stream is corrupt or ends early, out then holding what came out before.
bool bunzip(const uint8_t* p, std::size_t n, Bytes& out, std::size_t& outSize, std::string& why);

}  // namespace KOL::lev2
