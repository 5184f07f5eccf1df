// The messages of one record of an Archive II volume (NOAA ICD for the RDA/RPG, document
// 2620002): the 12-byte legacy CTM header and 16-byte message header before each; Message 31
// (generic digital radar data) as long as its size says, every other type in a fixed
// 2,432-byte frame. Radials of Message 31 and Message 1 are decoded with every moment; Message 5
// gives the scan pattern's elevation angles; Messages 2 and 18 are kept for the metadata
// (Metadata.h); the other types are counted and passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imagery/Lev2Data.h"
#include "imagery/lev2/Container.h"

namespace KOL::lev2 {

struct MomentPiece {
  char name[4] = {};
  int gates = 0, wordSize = 8;
  float firstGate = 0, spacing = 0, scale = 1, offset = 0;
  const uint8_t* data = nullptr;  // the codes, in the record's bytes
};

struct RadialPiece {
  Lev2Radial radial;
  std::size_t firstMoment = 0, moments = 0;  // in Decoded::moments
};

struct Site {
  bool set = false;
  std::string icao;
  float lat = 0, lon = 0, height = 0;
  int vcp = 0;
};

struct Decoded {
  std::shared_ptr<Bytes> bytes;  // a compressed record's messages, which moments point into
  std::vector<RadialPiece> radials;
  std::vector<MomentPiece> moments;
  std::map<int, int> counts;     // messages by type
  std::vector<float> vcpAngles;  // Message 5: elevation angle of each cut
  int vcp = 0;
  Site site;
  Lev2Status status;                               // the record's first Message 2
  std::map<int, std::vector<uint8_t>> adaptation;  // Message 18 by segment number
  std::vector<std::string> problems;
};

// Every message of the bytes into out (appended).
void decodeMessages(const uint8_t* p, std::size_t n, Decoded& out);

}  // namespace KOL::lev2
