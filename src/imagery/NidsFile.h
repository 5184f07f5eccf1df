// Decoder of NEXRAD Level III (NIDS) radar products as they come over the WMO feeds: the text
// heading lines, zlib-compressed segments or a bzip2-compressed symbology block, the message
// header, the product description with its data level thresholds, and the packets of the
// symbology block. readHeader describes the product; readData fills its value array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geo/DomainVal.h"
#include "imagery/NidsData.h"
#include "imagery/NidsInfo.h"
#include "imagery/NidsRadial.h"
#include "imagery/NidsRun.h"
#include "imagery/NidsText.h"
#include "imagery/NidsVector.h"
#include "imagery/NidsWind.h"

namespace KOL {

namespace nids {
struct LevelTable;
class Reader;
}  // namespace nids

class NidsFile {
 public:
  enum Compression : int { NONE = 0, ZLIB = 1, REFUSED = 2, BZIP2 = 3 };
  // Packet codes of the data packets.
  static constexpr int PACKET_DIGITAL_RADIAL = 16;
  static constexpr int PACKET_DPA = 17;
  static constexpr int PACKET_RATE = 18;
  static constexpr int PACKET_RASTER_A = 0xBA0F;
  static constexpr int PACKET_RASTER_B = 0xBA07;
  static constexpr int PACKET_RADIAL = 0xAF1F;

  NidsFile();
  ~NidsFile();
  explicit NidsFile(const char* name);
  NidsFile(const NidsFile&) = delete;
  NidsFile& operator=(const NidsFile&) = delete;

  void init();
  int open(const char* name);
  // Decodes a product held in memory (a whole file as transmitted).
  int openBytes(const uint8_t* bytes, std::size_t n);
  bool isOpen() const { return open_; }
  int close();

  // Message header, product description, symbology header and the first data packet's header.
  int readHeader(NidsInfo& info);
  // Every radial or row of the data packet into the array.
  int readData(NidsData& data);
  const DomainVal& getDomainVal() const { return domain_; }

  // Packets of the symbology block, in order: the next packet's code, 0 at the end.
  int readPacket();
  int skipPacket();
  // Back to the first packet of the symbology block; 0 when the product has none.
  int rewindPackets();
  int readRadial(NidsRadial& r);
  int skipRadial();
  // The next raster (or precipitation array) row: its run bytes, 0 at the end.
  int readRastor();
  // The next run of the current radial or row; 0 when it has no more.
  int readRun(NidsRun& run);
  int readVector(NidsVector& v);
  int readWind(NidsWind& w);
  int readText(NidsText& t);
  int skipVector()
  {
    NidsVector v;
    return readVector(v);
  }
  int skipWind()
  {
    NidsWind w;
    return readWind(w);
  }
  int skipText()
  {
    NidsText t;
    return readText(t);
  }

  int getPacket() const { return packet_; }
  // The colour value of the current vector packet (9 and 10), else 0.
  int getPacketValue() const { return packet_value_; }
  bool isPacketRadial() const
  {
    return packet_ == PACKET_RADIAL || packet_ == PACKET_DIGITAL_RADIAL;
  }
  bool isPacketRastor() const { return packet_ == PACKET_RASTER_A || packet_ == PACKET_RASTER_B; }
  bool isPacketDpa() const { return packet_ == PACKET_DPA; }
  bool isPacketVector() const
  {
    return packet_ == 6 || packet_ == 7 || packet_ == 9 || packet_ == 10 || packet_ == 5;
  }
  bool isPacketWindbarb() const { return packet_ == 4; }
  bool isPacketText() const { return packet_ == 1 || packet_ == 8; }
  // The packet reading stopped at when it found no data packet it decodes (0 when none).
  int getStopPacket() const { return stop_packet_; }

  // Product classes by product code.
  static bool isBRef(int code);
  static bool isVel(int code);
  static bool isBSW(int code);
  static bool isCRef(int code);
  static bool isTops(int code);
  static bool isEnhTops(int code);
  static bool isVAD(int code);
  static bool isSRVel(int code);
  static bool isVIL(int code);
  static bool isDigVIL(int code);
  static bool isLRef(int code);
  static bool isPrec(int code);
  static bool isDPA(int code);
  static bool isDSP(int code);
  static bool isDHR(int code);
  static bool isDRef(int code);
  static bool isCorrel(int code);
  static bool isHydroClass(int code);
  static bool isDPrec(int code);
  static bool isDPrecDiff(int code);
  static bool isDPrRate(int code);
  static bool isDual(int code);
  // The label of a product code from a source (mosaics above 9999 have their own).
  static std::string label(int code, int source);

  // Product label and miscellaneous text into info.
  void setInfo(NidsInfo& info) const;
  void setMisc(NidsInfo& info) const;
  bool accumulationBegin(int& day, int& minute) const;

  // Big-endian readers at the current position of the product.
  int readShort();
  unsigned readUshort();
  long readLong();
  unsigned long readUlong();
  static float float16(unsigned hw);
  static float float32(unsigned hi, unsigned lo);

  // Message header and product description fields.
  int getMessageCode() const { return msg_code_; }
  long getMessageDate() const { return msg_secs_; }
  long getMessageLength() const { return msg_length_; }
  int getSourceId() const { return source_id_; }
  int getNumBlocks() const { return num_blocks_; }
  int getProductCode() const { return product_; }
  int getCompression() const { return compression_; }
  // Threshold halfword k (0..15) and its decoded level.
  unsigned getThresholdWord(int k) const { return k >= 0 && k < 16 ? thresh_[k] : 0; }
  float getThreshold(int k) const;
  // Physical value of a data level code of the data packet.
  float getLevelValue(int code) const;
  // The data level code the product gives range-folded bins (a velocity's or spectrum width's
  // "RF"); -1 when it has none.
  int getFoldedLevel() const;
  // Product-dependent parameter k (1..10).
  int getParam(int k) const { return k >= 1 && k <= 10 ? param_[k - 1] : 0; }
  // The WMO heading and AWIPS identifier lines in front of the product ("" without them).
  const std::string& getHeading() const { return heading_; }
  const std::string& getAwipsId() const { return awips_; }
  long getSymbologyOffset() const { return off_symb_; }
  long getGraphicOffset() const { return off_graph_; }
  long getTabularOffset() const { return off_tab_; }

 private:
  int unframe(const uint8_t* b, std::size_t n);
  int inflateSegments(const uint8_t* b, std::size_t n);
  int messHeader();
  int prodDesc();
  int expandSymbology();
  int prodSymb();
  int nextLayer();
  int readDataPacketHeader();
  int fillRadials(NidsData& d);
  int fillRows(NidsData& d);
  int takeRuns(const float* table, float* row, uint8_t* levels, int at, int limit);
  static void padRow(float* row, uint8_t* levels, int from, int to, float fill);
  void fillDomain();
  void fillInfo(NidsInfo& info) const;
  bool usesDigital() const;

  bool open_;
  std::vector<uint8_t> msg_;  // the product from its message header on, decompressed
  std::string heading_, awips_;
  std::unique_ptr<nids::Reader> reader_;
  nids::Reader& in_;
  int compression_;
  bool header_read_;

  int msg_code_, source_id_, dest_id_, num_blocks_;
  long msg_secs_, msg_length_;
  float lat_, lon_, height_;
  int product_, mode_, vcp_, seq_, vol_num_, elev_num_;
  long vol_secs_, gen_secs_;
  int param_[10];
  uint16_t thresh_[16];
  int num_maps_;
  long off_symb_, off_graph_, off_tab_;
  std::unique_ptr<nids::LevelTable> legacy_ptr_, digital_ptr_;
  nids::LevelTable& legacy_;
  nids::LevelTable& digital_;
  bool has_digital_;

  int layers_left_;
  std::size_t layer_end_;
  int packet_;
  std::size_t packet_end_;
  int stop_packet_;
  int packet_value_;
  bool have_point_;  // linked vectors: the last point read
  int point_x_, point_y_;
  int first_bin_, num_bins_, num_rows_, rows_read_, run_left_, packet_scale_;
  DomainVal domain_;
  std::vector<float> row_buf_;  // scratch rows of the run expansion
  std::vector<uint8_t> level_buf_;
  float resolution_, range_;
  bool half_degree_;
};

}  // namespace KOL
