// Expands the descriptors of Section 3 against Tables B and D and reads the data of Section 4
// (WMO-No. 306 Volume I.2, FM 94 BUFR, regulations 94.5 and 94.6): replication, nested
// sequences, the data description operators of Table C, associated fields, bitmaps with the
// quality, substituted and statistical values that follow them, and the compressed form.
// The lanes are the subsets read at once: one for an uncompressed message, all for a
// compressed one, whose subsets share one expansion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"
#include "obs/bufr/BitStream.h"

namespace KOL::bufr {

class DataReader {
 public:
  using Item = BufrMessage::Item;
  static constexpr int MAX_DEPTH = 48;
  // Bounds against endless or exploding expansions: rows over all lanes, descriptors visited.
  // Below these, a message may expand only as far as its data could carry: every row of a lane
  // takes at least a bit, apart from markers and elements without data.
  static constexpr size_t MAX_ROWS = size_t(1) << 22;
  static constexpr uint64_t MAX_STEPS = uint64_t(1) << 24;

  DataReader(const BufrTable& table, int version, const BufrTable::Local& local, BitStream& bits,
             std::vector<Item>* lanes, int nlanes, std::string& texts);
  DataReader(const DataReader&) = delete;
  DataReader& operator=(const DataReader&) = delete;

  // 1 when every descriptor was read; else 0 and why() tells what stopped it.
  int run(const std::vector<int>& descriptors);
  const std::string& why() const { return why_; }

 private:
  struct Params {
    int width, scale;
    double reference;
  };

  bool walk(const int* d, size_t n, int depth);
  bool replicate(const int* d, size_t n, size_t& i, int depth);
  bool operate(int d);
  bool qualityOperator(int d, int x, int y);
  bool element(int d);
  bool referenceValue(int d);
  bool numbers(int width, bool missingAllowed);
  bool chars(int width);
  bool params(int d, const BufrTable::Element& e, Params& p) const;
  void push(int d, int role, const Params& p, int parent);
  void pushText(int d, int role);
  void pushMarker(int d);
  bool attributeValue(int d);
  bool closeBitmap();
  int nextTarget();
  void attachAttributes();
  bool fail(const char* fmt, int d);
  size_t rows() const { return lanes_[0].size(); }

  const BufrTable::Element* lookup(int d) const;

  const BufrTable& table_;
  int version_;
  const BufrTable::Local& local_;
  BitStream& bits_;
  std::vector<Item>* lanes_;
  int nlanes_;
  std::string& texts_;
  std::string why_;
  uint64_t steps_ = 0;
  uint64_t maxSteps_;
  size_t maxRows_;

  // Values of the last field read, one per lane.
  std::vector<uint64_t> raw_;
  std::vector<char> missing_;
  std::vector<uint32_t> textAt_;
  uint32_t textLen_ = 0;

  // Table C state.
  int widthAdd_ = 0, scaleAdd_ = 0, precision_ = 0, charWidth_ = 0, assocWidth_ = 0;
  int localWidth_ = 0, notPresent_ = 0, refBits_ = 0;
  std::vector<std::pair<int, int>> newRefs_;
  std::vector<uint64_t> assoc_;
  std::vector<char> assocMissing_;

  // Bitmaps: the rows of the elements a bitmap may point back to, the bitmap being read and
  // the rows its present entries point at.
  int qualityOp_ = 0;
  size_t opElements_ = 0, backStart_ = 0;
  bool bitmapOpen_ = false, defineReuse_ = false;
  std::vector<int> elementRows_, bitmap_, targets_, savedTargets_;
  size_t next_ = 0;
  bool attached_ = false;
};

}  // namespace KOL::bufr
