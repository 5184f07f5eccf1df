// Files a feed of WMO bulletins: reads the feed line by line, selects each bulletin by matching
// its heading against the rules of a products file, writes, appends or pipes it to outputs
// named from templates, keeps header index files beside them and sends arrival notices. A
// bulletin is filed at its ETX, or at the next start line or the end of a file when its ETX
// is missing; one cut short by a connection that ends is taken back from its files.
// Header index lines are gathered per index file and written a few kilobytes at a time, at the
// latest about a second later or when the feed falls silent. While a feed is read, what the
// rules make of a heading (the rules that select it, the names of its files) is kept for its
// later bulletins, and body lines come from the reader in runs.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Date.h"
#include "core/File.h"
#include "core/NameConv.h"
#include "obs/Pan.h"
#include "obs/Product.h"
#include "obs/WmoData.h"
#include "obs/WmoFile.h"
#include "obs/wmo/HeadingPattern.h"
#include "obs/wmo/OpenFiles.h"
#include "obs/wmo/RouteCache.h"
#include "obs/wmo/Template.h"

namespace KOL {

class WmoIngest {
 public:
  static constexpr int MAX_RULES = 2000;
  static constexpr int MAX_PANS = 40;
  static constexpr int HEADING_SIZE = 101;
  static constexpr int RAW_HEADER_SIZE = 100;
  static constexpr int NAME_SIZE = 256;
  static constexpr int PROD_LINE_SIZE = 300;
  // Stream buffer of each output: enough for a text bulletin; longer runs of bytes are written
  // straight from the feed.
  static constexpr int OUTPUT_BUFFER = 16384;
  // Appended outputs, and index files, held open between bulletins (each at most) until a feed
  // is read: then as many as the process may open.
  static constexpr int OPEN_FILES = 512;
  // Seconds after which a kept file nobody has filed to is closed (at most twice that).
  static constexpr int KEEP_IDLE_SECONDS = 60;
  // While a feed is read, kept files moved or removed are looked for at most this often
  // (microseconds); between calls of the filing steps, before every bulletin.
  static constexpr long MOVE_CHECK_MICROS = 200;
  // Seconds without input after which a stop request ends a bulletin in progress.
  static constexpr int IDLE_SECONDS = 10;

  enum Kind : int { TEXT = 0, GRIB = 1, BUFR = 2 };

  WmoIngest();
  explicit WmoIngest(const char* params);
  WmoIngest(const WmoIngest&) = delete;
  WmoIngest& operator=(const WmoIngest&) = delete;
  virtual ~WmoIngest();

  // Defaults, then the resources "prod_file", "log_file" and "parameter".
  void init();
  // "logfile=NAME", "prodfile=NAME", "pan_id=N", "raw", "noseq", "quit", comma-separated.
  int setParam(const char* text);
  // Loads the rules; "none" loads nothing. 1 when a file was read.
  int readProdFile(const char* name);
  int readProdFile() { return readProdFile(prod_file_.c_str()); }
  const char* getProdFile() const { return prod_file_.c_str(); }
  // Reads a whole file or socket feed; 0 when the source cannot be opened.
  int process(const char* source);

  // The steps of filing one bulletin, on the current heading and identifier.
  bool isSelected();
  int action();
  int saveHeader(const char* raw_header, const char* heading, const char* awips);
  int saveLine(const char* bytes, int n);
  int sendPAN();
  int close();

  // Expands a name template for the current bulletin into out (size max).
  int setAction(const char* tmpl, int offset, char* out, int max);
  // Filters text[0..n) in place and terminates it (text must hold n + 1 bytes): mode 0 keeps
  // printable characters, 1 also LF, 2 also LF and CR; 3 keeps LF, turns '/' into '-' and
  // other unprintable characters into 'x'. The new length.
  static int cleanLine(char* text, int n, int mode);
  int printLog(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // The stop request of a signal handler: the bulletin in progress is finished first.
  void terminate() { running_ = false; }

  // The date templates are expanded for (unset: the current time).
  void setDate(const Date& d)
  {
    date_ = d;
    times_.forget();
    forgetRoutes();
  }
  void setHeading(const char* heading, const char* awips);
  const char* getHeading() const { return heading_; }
  const char* getAwips() const { return awips_; }
  int getNumRules() const { return static_cast<int>(rules_.size()); }
  Product& getRule(int i) { return *rules_[i]; }
  int getNumPans() const { return static_cast<int>(pans_.size()); }
  const Pan& getPan(int i) const { return *pans_[i]; }
  int getPanId() const { return pan_id_; }
  WmoFile& getSource() { return source_; }

  // Counts of the last process call.
  long getFiled() const { return filed_; }
  long getUnselected() const { return unselected_; }
  long getIncomplete() const { return incomplete_; }
  void print() const;

 protected:
  // Called for each selected "file" and "run" rule once its bulletin is complete; the rule's
  // file name holds the expanded template.
  virtual void deliver(Product& rule) { (void)rule; }
  // Called when a file held no bulletin (nothing in it starts one); says so in a message.
  virtual void noBulletin(const char* source);

 private:
  int expand(const char* tmpl, int offset, char* out, int max);
  void expandName(const char* tmpl, int offset, char* out);
  void readPanLine(const char* line);
  void addRule(const char* line);
  void indexRules();
  void forgetRoutes();
  bool selectRoute();
  void nameOutputs();
  void keepHints();
  void detachSource();
  bool handleLine(WmoData& line);
  void save(const WmoData& line, int n);
  bool takesText(const Product& r, int kind) const;
  int filterPending();
  void flushPending();
  void startBulletin(const WmoData& line);
  void checkSequence(const WmoData& line);
  void takeHeading(const WmoData& line);
  void firstLine(WmoData& line);
  void collectGrib(WmoData& line);
  void select();
  void expectBinary(long length, const WmoData& line);
  bool finishBulletin();
  bool endUnterminated(long received, const char* why);
  void endOfFeed();
  void abortBulletin(const char* why);
  bool keepWaiting() const;
  void report(char mark) const;
  void openLog(long now);
  int openOutput(Product& rule, int& used);
  void flushKept();
  bool tellsOthers() const;
  void closeKept();

  std::atomic<bool> running_;
  Date date_;
  char heading_[HEADING_SIZE];
  char awips_[HEADING_SIZE];
  char raw_header_[RAW_HEADER_SIZE + 1];
  std::string prod_file_;
  bool prod_read_;
  // Buffers of the outputs open for the current bulletin and the files kept open (listed
  // before the rules, so that they outlive the outputs that use them).
  std::vector<std::vector<char>> buffers_;
  wmo::OpenFiles outputs_{OPEN_FILES};
  wmo::OpenFiles indexes_{OPEN_FILES};
  std::vector<std::unique_ptr<Product>> rules_;
  std::vector<std::unique_ptr<Pan>> pans_;
  int pan_id_;
  int kind_;
  bool raw_;
  bool seq_check_;
  bool quit_;
  std::string log_name_;

  WmoFile source_;
  WmoData line_;
  std::vector<char> clean_;  // a filtered copy of the line being saved
  // Bytes of the feed still to be written to every output of the bulletin, in place in the
  // source's buffer: lines that follow each other there are written in one go.
  const char* pending_;
  int pending_length_;
  int pending_kind_;         // the kind of bulletin they belong to
  std::vector<int> active_;  // rules selected for the current bulletin
  std::vector<std::pair<int, wmo::TemplateFields>> fields_;  // of the bulletin, by offset
  wmo::TimeMemo times_;
  std::vector<std::vector<int>> by_first_;  // rules that can match, by first heading character
  std::vector<wmo::LeadChars> lead_;        // what each rule allows as first characters
  int else_rule_;
  // What the rules made of the headings met while a feed is read, and the current one's.
  wmo::RouteCache routes_;
  wmo::Route* route_;
  bool in_bulletin_;
  bool processing_;  // within process(): index lines are gathered
  bool decided_;     // the rules have been asked about the current bulletin
  bool selected_;
  bool headed_;      // the heading line of the current bulletin has come whole
  long binary_end_;  // the feed's byte count at the end of its binary message
  int sequence_;
  int last_sequence_;
  long filed_;
  long unselected_;
  long incomplete_;
  File log_;
  std::unique_ptr<NameConv> log_conv_;  // the log name as a naming convention, made when needed
  std::string log_path_;
  long log_checked_;
  long index_flushed_;  // when the gathered index lines were last written
  long swept_;          // when idle kept files were last closed
};

}  // namespace KOL
