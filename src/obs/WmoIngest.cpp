#include "obs/WmoIngest.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "obs/wmo/GribSummary.h"
#include "obs/wmo/HeadingPattern.h"
#include "obs/wmo/Template.h"

namespace KOL {

namespace {

constexpr char ETX = 0x03;
constexpr int LOG_MESSAGE = 200;
constexpr int MISS = Const::MISS;

bool unclean(unsigned char c) { return c < 32 || c > 127; }

// Bytes of a line as a text of at most size - 1 characters, trimmed of white space and then of
// control characters (StrLib::trimWS, then StrLib::clean), in one pass.
void lineText(const WmoData& line, char* out, int size)
{
  const auto* d = reinterpret_cast<const unsigned char*>(line.getData());
  int n = std::min(line.getLength(), size - 1);
  // A NUL counts as a blank.
  while (n > 0 && (d[n - 1] == 0 || StrLib::isSpace(d[n - 1]))) n--;
  while (n > 0 && unclean(d[n - 1])) n--;
  for (int i = 0; i < n; i++) out[i] = unclean(d[i]) ? ' ' : static_cast<char>(d[i]);
  out[n] = 0;
}

// Appends bytes to a raw header kept to limit characters.
void appendRaw(char* raw, int limit, const char* bytes, int n)
{
  int have = StrLib::length(raw);
  n = std::max(std::min(n, limit - have), 0);
  std::memcpy(raw + have, bytes, n);
  raw[have + n] = 0;
}

}  // namespace

WmoIngest::WmoIngest() { init(); }

WmoIngest::WmoIngest(const char* params)
{
  init();
  setParam(params);
}

WmoIngest::~WmoIngest()
{
  if (in_bulletin_) abortBulletin("ingest ended");
  closeKept();
}

void WmoIngest::init()
{
  running_ = false;
  date_.init();
  times_.forget();
  heading_[0] = awips_[0] = raw_header_[0] = 0;
  prod_file_ = "ingest.prd";
  prod_read_ = false;
  rules_.clear();
  pans_.clear();
  pan_id_ = -1;
  kind_ = TEXT;
  raw_ = false;
  seq_check_ = true;
  quit_ = false;
  log_name_ = "ingest.log";
  source_.init();
  line_.init();
  clean_.assign(WmoData::DATA_SIZE + 1, 0);
  pending_ = nullptr;
  pending_length_ = 0;
  pending_kind_ = TEXT;
  active_.clear();
  by_first_.assign(256, {});
  lead_.clear();
  else_rule_ = -1;
  forgetRoutes();
  in_bulletin_ = decided_ = selected_ = processing_ = headed_ = false;
  binary_end_ = 0;
  sequence_ = last_sequence_ = MISS;
  filed_ = unselected_ = incomplete_ = 0;
  log_.close();
  log_conv_.reset();
  log_path_.clear();
  log_checked_ = -1;
  index_flushed_ = swept_ = 0;
  closeKept();
  if (const char* v = Kol::resrc.get("prod_file"); StrLib::valid(v)) prod_file_ = v;
  if (const char* v = Kol::resrc.get("log_file"); StrLib::valid(v)) log_name_ = v;
  if (const char* v = Kol::resrc.get("parameter"); StrLib::valid(v)) setParam(v);
}

int WmoIngest::setParam(const char* text)
{
  if (!text) return 0;
  Strings items(text, ',');
  for (int i = 0; i < items.getNum(); i++) {
    const char* item = items.getString(i);
    if (!StrLib::valid(item)) continue;
    const char* eq = std::strchr(item, '=');
    const char* value = eq ? eq + 1 : "";
    if (StrLib::iequal(item, "logfile=", 8)) {
      log_name_ = value;
      log_.close();
      log_conv_.reset();
      log_path_.clear();
    } else if (StrLib::iequal(item, "prodfile=", 9)) {
      prod_file_ = value;
    } else if (StrLib::iequal(item, "pan_id=", 7)) {
      pan_id_ = StrLib::toInt(value);
    } else if (StrLib::iequal(item, "raw")) {
      raw_ = true;
    } else if (StrLib::iequal(item, "noseq")) {
      seq_check_ = false;
    } else if (StrLib::iequal(item, "quit")) {
      quit_ = true;
    } else {
      Kol::outWarning("WmoIngest: unknown parameter: %s\n", item);
    }
  }
  return 1;
}

// ---- Products file

int WmoIngest::readProdFile(const char* name)
{
  prod_read_ = true;
  if (!StrLib::valid(name) || StrLib::iequal(name, "none")) return 0;
  String path;
  FileTool::addPath(Kol::getDatabasePath(), name, path);
  Kol::outMessage(Kol::OUT1, "Reading products file: %s\n", path.get());
  printLog("Reading products file: %s", path.get());
  closeKept();
  rules_.clear();
  pans_.clear();
  File f;
  if (!f.open(path.get(), "r")) {
    Kol::outMessage(Kol::WARN, "  Product file not found, will only display data\n");
    indexRules();
    return 0;
  }
  char line[PROD_LINE_SIZE + 2];
  while (f.getLine(line, sizeof line) > 0) {
    int n = StrLib::length(line);
    if (n > 0 && line[n - 1] != '\n') f.skipLine();
    StrLib::trimWS(line);
    if (line[0] == '#') continue;
    if (StrLib::equal(line, "@PAN", 4))
      readPanLine(line + 4);
    else
      addRule(line);
  }
  indexRules();
  return 1;
}

void WmoIngest::readPanLine(const char* line)
{
  Strings words(line, ' ');
  for (int i = 0; i < words.getNum(); i++) {
    const char* word = words.getString(i);
    if (!StrLib::valid(word)) continue;
    if (StrLib::equal(word, "id=", 3)) {
      if (pan_id_ < 0) pan_id_ = StrLib::toInt(word + 3);
    } else if (static_cast<int>(pans_.size()) >= MAX_PANS) {
      Kol::outWarning("WmoIngest: no room for PAN destination: %s\n", word);
    } else {
      pans_.push_back(std::make_unique<Pan>());
      pans_.back()->set(word);
    }
  }
}

void WmoIngest::addRule(const char* line)
{
  if (static_cast<int>(rules_.size()) >= MAX_RULES) return;
  auto rule = std::make_unique<Product>();
  if (rule->set(line)) {
    rules_.push_back(std::move(rule));
  } else if (StrLib::validData(line)) {
    Kol::outWarning("WmoIngest: not a products file rule: %s\n", line);
  }
}

void WmoIngest::forgetRoutes()
{
  routes_.clear();
  route_ = nullptr;
}

void WmoIngest::indexRules()
{
  forgetRoutes();
  by_first_.assign(256, {});
  lead_.clear();
  else_rule_ = -1;
  for (int i = 0; i < getNumRules(); i++) {
    lead_.push_back(wmo::leadChars(rules_[i]->getPattern()));
    for (int c = 0; c < 256; c++)
      if (lead_.back().at[0].test(c)) by_first_[c].push_back(i);
    if (rules_[i]->isElse()) else_rule_ = i;
  }
}

// ---- Filing one bulletin

void WmoIngest::setHeading(const char* heading, const char* awips)
{
  StrLib::copy(heading_, HEADING_SIZE, heading ? heading : "");
  StrLib::copy(awips_, HEADING_SIZE, awips ? awips : "");
  route_ = nullptr;
}

bool WmoIngest::isSelected()
{
  for (int i : active_) rules_[i]->setSel(Product::UNSELECTED);
  active_.clear();
  bool matched = false;
  auto consider = [&](int i) {
    Product& r = *rules_[i];
    if (!wmo::matchHeading(heading_, awips_, r.getPattern())) return;
    if (r.getAction() != Product::IGNORE && !(r.isUnique() && matched)) {
      r.setSel(Product::SELECTED);
      active_.push_back(i);
    }
    matched = true;
  };
  wmo::HeadingKey key = wmo::headingKey(heading_);
  if (key.text[0]) {
    for (int i : by_first_[static_cast<unsigned char>(key.text[0])])
      if (lead_[i].admits(key)) consider(i);
  } else {
    for (int i = 0; i < getNumRules(); i++) consider(i);
  }
  if (!matched && else_rule_ >= 0) {
    rules_[else_rule_]->setSel(Product::ELSE);
    active_.push_back(else_rule_);
    return true;
  }
  return matched;
}

int WmoIngest::setAction(const char* tmpl, int offset, char* out, int max)
{
  fields_.clear();
  return expand(tmpl, offset, out, max);
}

// The fields of the current bulletin are worked out once for all its templates (per offset).
int WmoIngest::expand(const char* tmpl, int offset, char* out, int max)
{
  auto at = std::find_if(fields_.begin(), fields_.end(),
                         [offset](const auto& f) { return f.first == offset; });
  if (at == fields_.end()) {
    fields_.emplace_back(offset, wmo::templateFields(heading_, awips_, date_, offset, times_));
    at = fields_.end() - 1;
  }
  return wmo::expandTemplate(tmpl, at->second, out, max);
}

// A file name made whole into a product's name buffer; one longer than a path may be is
// refused (said once, the name left empty, so nothing is filed under a cut name).
void WmoIngest::expandName(const char* tmpl, int offset, char* out)
{
  std::vector<char> whole(Product::FILE_SIZE + 1);
  const int n = expand(tmpl, offset, whole.data(), static_cast<int>(whole.size()));
  out[0] = '\0';
  if (FileTool::checkLength("WmoIngest", whole.data()) && n < Product::FILE_SIZE)
    StrLib::copy(out, Product::FILE_SIZE, whole.data());
}

// The names of the bulletin's outputs, as made for its heading before within the same second
// of the reference time, or made now.
void WmoIngest::nameOutputs()
{
  fields_.clear();
  long stamp = date_.isSet() ? 0 : Date::getCurrentSeconds();
  bool named = route_ && route_->named == stamp;
  if (route_ && !named) route_->forgetNames();
  for (size_t k = 0; k < active_.size(); k++) {
    Product& r = *rules_[active_[k]];
    r.clearBulletin();
    wmo::RouteOutput* o = route_ ? &route_->outputs[k] : nullptr;
    if (o) {
      r.fileHint() = o->file_hint;
      r.headerHint() = o->header_hint;
    }
    // A hint kept with names used again was found for these very names.
    r.fileHint().same_path = named;
    if (named) {
      StrLib::copy(r.fileNameBuffer(), Product::FILE_SIZE, route_->name(o->file));
      StrLib::copy(r.headerNameBuffer(), Product::FILE_SIZE, route_->name(o->header));
      continue;
    }
    expandName(r.getFileTemplate(), r.getOffset(), r.fileNameBuffer());
    if (r.getAction() == Product::APPEND)
      expandName(r.getHeaderTemplate(), r.getOffset(), r.headerNameBuffer());
    if (o) {
      o->file = route_->addName(r.getFilename());
      o->header = route_->addName(r.getHeaderName());
    }
  }
  if (route_) route_->named = stamp;
}

// Where the bulletin's files were found is where the next bulletin of its heading looks first.
void WmoIngest::keepHints()
{
  if (!route_) return;
  for (size_t k = 0; k < active_.size() && k < route_->outputs.size(); k++) {
    route_->outputs[k].file_hint = rules_[active_[k]]->fileHint();
    route_->outputs[k].header_hint = rules_[active_[k]]->headerHint();
  }
}

// Each output of a bulletin gets its own buffer, kept from one bulletin to the next.
int WmoIngest::openOutput(Product& rule, int& used)
{
  if (used == static_cast<int>(buffers_.size())) buffers_.emplace_back(OUTPUT_BUFFER);
  int ok = rule.openOutput(buffers_[used].data(), OUTPUT_BUFFER, &outputs_);
  used += ok;
  return ok;
}

// Every rule lets go of its last bulletin's files first: one it held may be the one another
// rule takes now.
int WmoIngest::action()
{
  nameOutputs();
  int used = 0;
  for (int i : active_) {
    Product& r = *rules_[i];
    if (Kol::isDebug(3)) {
      Kol::outDebug(3, "Selected[%d]: ", i);
      r.print();
    }
    const char* name = r.getFilename();
    switch (r.getAction()) {
      case Product::APPEND:
        if (name[0]) {
          Kol::outMessage(Kol::OUT1 + 1, "  Append to: %s\n", name);
          if (!openOutput(r, used)) printLog("Unable to append to: %s", name);
        }
        if (r.getHeaderName()[0])
          Kol::outMessage(Kol::DEBUG1, "Header file: %s\n", r.getHeaderName());
        break;
      case Product::WRITE:
        if (!name[0]) break;
        Kol::outMessage(Kol::OUT1 + 1, "  Write to: %s\n", name);
        if (!openOutput(r, used)) printLog("Unable to write to: %s", name);
        break;
      case Product::PIPE:
        Kol::outMessage(Kol::OUT1 + 1, "  Pipe to: %s\n", name);
        if (!openOutput(r, used)) printLog("Unable to pipe to: %s", name);
        break;
      default:
        break;
    }
  }
  return 1;
}

int WmoIngest::saveHeader(const char* raw_header, const char* heading, const char* awips)
{
  (void)awips;  // the index line is written once the bulletin is whole
  flushPending();
  char separator[HEADING_SIZE + 10] = "** ";
  StrLib::copy(separator + 3, HEADING_SIZE, heading ? heading : "");
  int n = StrLib::length(separator);
  std::memcpy(separator + n, " ***\n", 5);
  n += 5;
  for (int i : active_) {
    Product& r = *rules_[i];
    if (!r.hasOutput()) continue;
    r.markStart();
    if (raw_ || r.isRaw())
      r.write(raw_header, StrLib::length(raw_header));
    else
      r.write(separator, n);
  }
  return 1;
}

int WmoIngest::saveLine(const char* bytes, int n)
{
  if (n < 0) {
    printLog("Invalid size on save: %d [%s]", n, heading_);
    return 0;
  }
  flushPending();
  int filtered = -1;
  for (int i : active_) {
    Product& r = *rules_[i];
    if (!r.hasOutput()) continue;
    if (!takesText(r, kind_)) {
      r.write(bytes, n);
      continue;
    }
    if (filtered < 0) {
      int m = n;
      if (m > WmoData::DATA_SIZE) {
        printLog("Invalid size on save: %d [%s]", n, heading_);
        m = WmoData::DATA_SIZE;
      }
      filtered = wmo::filterCopy(bytes, m, clean_.data(), 1);
    }
    r.write(clean_.data(), filtered);
  }
  return 1;
}

// The first n bytes of a line: held back while they continue the bytes before them in the
// source's buffer, so that a run of lines is written, or filtered, in one go.
void WmoIngest::save(const WmoData& line, int n)
{
  const char* p = line.getData();
  if (!line.isView() || n <= 0) {
    saveLine(p, n);
    return;
  }
  if (pending_ && pending_ + pending_length_ == p && pending_length_ <= INT32_MAX - n &&
      pending_kind_ == kind_) {
    pending_length_ += n;
    return;
  }
  flushPending();
  pending_ = p;
  pending_length_ = n;
  pending_kind_ = kind_;
}

// Outputs of text bulletins take them filtered, unless they ask for the bytes as they came.
bool WmoIngest::takesText(const Product& r, int kind) const
{
  return r.hasOutput() && !raw_ && kind == TEXT && !r.isRaw() && !r.isBin();
}

// The bytes held back, filtered for the outputs that take text a line's size at a time:
// every piece but the last goes to them now, the last is left in clean_. Its length.
int WmoIngest::filterPending()
{
  bool text = false;
  for (int i : active_) text = text || takesText(*rules_[i], pending_kind_);
  if (!text) return 0;
  int filtered = 0;
  for (int at = 0; at < pending_length_;) {
    if (at > 0)
      for (int i : active_)
        if (takesText(*rules_[i], pending_kind_)) rules_[i]->write(clean_.data(), filtered);
    int n = std::min(pending_length_ - at, WmoData::DATA_SIZE);
    filtered = wmo::filterCopy(pending_ + at, n, clean_.data(), 1);
    at += n;
  }
  return filtered;
}

void WmoIngest::flushPending()
{
  if (!pending_) return;
  int filtered = filterPending();
  for (int i : active_) {
    Product& r = *rules_[i];
    if (takesText(r, pending_kind_))
      r.write(clean_.data(), filtered);
    else if (r.hasOutput())
      r.write(pending_, pending_length_);
  }
  pending_ = nullptr;
  pending_length_ = 0;
}

// The bytes held back go out with the rest of each output's bulletin. Bulletins and index
// lines are gathered only while a feed is being read and nobody is told of them; a caller
// filing bulletins step by step finds each written at once.
int WmoIngest::close()
{
  bool now = !processing_ || tellsOthers();
  int filtered = pending_ ? filterPending() : 0;
  for (int i : active_) {
    Product& r = *rules_[i];
    const char* last = pending_;
    int n = r.hasOutput() ? pending_length_ : 0;
    if (takesText(r, pending_kind_)) {
      last = clean_.data();
      n = filtered;
    }
    r.endBulletin(r.getAction() == Product::APPEND && !raw_ && !r.isRaw(), last, n, now);
    r.writeIndex(heading_, awips_, &indexes_);
  }
  pending_ = nullptr;
  pending_length_ = 0;
  if (now) flushKept();
  return 1;
}

// Whoever a notice or a command tells about the bulletin may look for it in the files.
bool WmoIngest::tellsOthers() const
{
  bool told = !pans_.empty();
  for (int i : active_) {
    int act = rules_[i]->getAction();
    told = told || act == Product::FILE_NAME || act == Product::RUN;
  }
  return told;
}

// Bulletins first: an index line is written after the bytes it points at.
void WmoIngest::flushKept()
{
  outputs_.flush();
  indexes_.flush();
}

int WmoIngest::sendPAN()
{
  if (pans_.empty()) return 0;
  int sent = 0;
  for (int i : active_) {
    Product& r = *rules_[i];
    int act = r.getAction();
    if (!r.isFiled() || !r.getPan() ||
        (act != Product::WRITE && act != Product::APPEND && act != Product::PIPE))
      continue;
    for (int d = 0; d < getNumPans(); d++) {
      Pan& pan = *pans_[d];
      if (!(r.getPan() & (1 << (d < 10 ? d : 0))) || pan.getKind() == Pan::UNUSABLE) continue;
      if (pan_id_ < 0) pan_id_ = 1;
      Date now;
      now.set();
      char head[300];
      std::snprintf(head, sizeof head, "901|%d|%d|%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d|%s / %s|", pan_id_,
                    pan.nextCount(), now.getYear(), now.getMonth(), now.getDay(), now.getHour(),
                    now.getMinute(), static_cast<int>(now.getSecond()), heading_, awips_);
      // the file name goes out whole, however long
      const std::string text = head + std::string(r.getFilename()) + "|" +
                               std::to_string(static_cast<int>(r.getPos())) + "|" +
                               std::to_string(static_cast<int>(r.getWritten())) + "|";
      sent += pan.send(text.c_str());
    }
  }
  return sent;
}

int WmoIngest::cleanLine(char* text, int n, int mode) { return wmo::filterLine(text, n, mode); }

// ---- The ingest loop

int WmoIngest::process(const char* source)
{
  if (!prod_read_) readProdFile();
  filed_ = unselected_ = incomplete_ = 0;
  // Resources may have changed since the last feed.
  forgetRoutes();
  // Outputs whose names vary by heading can be thousands, each kept open between bulletins.
  int room = wmo::raiseFileLimit() / 2;
  for (wmo::OpenFiles* kept : {&outputs_, &indexes_}) {
    kept->setLimit(room);
    kept->setCheckInterval(MOVE_CHECK_MICROS);
  }
  running_ = true;
  in_bulletin_ = false;
  processing_ = true;
  source_.setWaitCheck([this] { return keepWaiting(); });
  // Lines are looked at one by one only where it matters, or when they are traced.
  source_.setBodyRuns(!Kol::isDebug(2));
  source_.setBeforeRefill([this] { flushPending(); });
  // Index lines gathered so far are written before the feed falls silent.
  source_.setBeforeWait([this] { flushKept(); });
  if (!source_.open(source)) {
    detachSource();
    // Stopped while waiting for a feed to connect.
    if (!source_.isStopped()) return 0;
    printLog("Terminating ingest");
    return 1;
  }
  Kol::outMessage(Kol::OUT1, "WmoIngest file: %s\n", source);
  printLog("Ingesting file: %s", source);
  while (source_.read(line_)) {
    if (Kol::isDebug(2)) line_.print();
    if (!handleLine(line_)) break;
  }
  bool idle = source_.isStopped() && in_bulletin_;
  if (in_bulletin_) endOfFeed();
  if (source_.getBulletinCount() == 0 && source_.getTotalBytes() > 0 &&
      source_.getMode() != WmoFile::SOCKET_MODE)
    noBulletin(source);
  source_.close();
  closeKept();
  detachSource();
  if (idle) printLog("Terminating ingest on idle");
  printLog("Terminating ingest");
  return 1;
}

// Said as a message: a program decides whether a file without a bulletin is its error.
void WmoIngest::noBulletin(const char* source)
{
  Kol::outMessage(Kol::MESS,
                  "WmoIngest: no bulletin in %s (no line starts one: SOH, ZCZC or a heading)\n",
                  source);
}

// A stop request ends a wait for input at once between bulletins, and within a bulletin once
// the feed has been silent for a while.
bool WmoIngest::keepWaiting() const
{
  if (running_) return true;
  return in_bulletin_ && Date::getCurrentSeconds() - source_.getLastInput() <= IDLE_SECONDS;
}

// The source's calls back into this ingest end with the feed.
void WmoIngest::detachSource()
{
  source_.setWaitCheck(nullptr);
  source_.setBodyRuns(false);
  source_.setBeforeRefill(nullptr);
  source_.setBeforeWait(nullptr);
  outputs_.setCheckInterval(0);
  indexes_.setCheckInterval(0);
  processing_ = false;
}

bool WmoIngest::handleLine(WmoData& line)
{
  int type = line.getType();
  if (type == WmoData::START) {
    if (in_bulletin_) {
      bool etx = line.getData()[0] == ETX;
      if (etx) {
        if (!decided_) select();
        if (selected_) save(line, 1);
      }
      long before = source_.getTotalBytes() - line.getLength();
      if (!(etx ? finishBulletin() : endUnterminated(before, "no ETX"))) return false;
    }
    if (!running_) return false;
    startBulletin(line);
    return true;
  }
  if (type == WmoData::END_FILE) {
    if (in_bulletin_) abortBulletin("connection ended");
    return true;
  }
  // Whatever comes between an ETX and the next start line is not part of a bulletin.
  if (!in_bulletin_) return true;
  if (type == WmoData::SEQUENCE) {
    checkSequence(line);
  } else if (type == WmoData::HEADING) {
    takeHeading(line);
  } else if (type == WmoData::AWIPS) {
    firstLine(line);
  } else {
    if (!decided_) select();
    if (selected_) save(line, line.getLength());
  }
  return line.endsBulletin() ? finishBulletin() : true;
}

void WmoIngest::startBulletin(const WmoData& line)
{
  // Bulletins and index lines wait at most about a second for others to be written with.
  if (long now = std::time(nullptr); now != index_flushed_) {
    flushKept();
    index_flushed_ = now;
    if (now - swept_ >= KEEP_IDLE_SECONDS) {
      outputs_.sweep();
      indexes_.sweep();
      routes_.sweep();
      swept_ = now;
    }
  }
  for (int i : active_) rules_[i]->setSel(Product::UNSELECTED);
  active_.clear();
  route_ = nullptr;
  in_bulletin_ = true;
  decided_ = selected_ = headed_ = false;
  binary_end_ = 0;
  heading_[0] = awips_[0] = raw_header_[0] = 0;
  kind_ = TEXT;
  sequence_ = MISS;
  bool etx = line.getData()[0] == ETX;
  appendRaw(raw_header_, RAW_HEADER_SIZE, line.getData() + etx, line.getLength() - etx);
}

void WmoIngest::checkSequence(const WmoData& line)
{
  appendRaw(raw_header_, RAW_HEADER_SIZE, line.getData(), line.getLength());
  const char* d = line.getData();
  const char* end = d + line.getLength();
  while (d < end && *d == ' ') d++;
  int n = 0;
  auto [stop, ec] = std::from_chars(d, end, n);
  if (ec != std::errc() || stop == d) return;
  sequence_ = n;
  if (seq_check_ && last_sequence_ != MISS && n != last_sequence_ % 999 + 1) {
    Kol::outMessage(Kol::WARN, "Sequence number gap: %d - %d\n", last_sequence_, n);
    printLog("Sequence number gap: %d - %d", last_sequence_, n);
    if (quit_) {
      closeKept();
      Kol::exit(Kol::FAILURE);
    }
  }
  last_sequence_ = n;
}

void WmoIngest::takeHeading(const WmoData& line)
{
  appendRaw(raw_header_, RAW_HEADER_SIZE - 1, line.getData(), line.getLength());
  lineText(line, heading_, HEADING_SIZE);
  // A heading cut short by the end of the feed names no bulletin.
  headed_ = line.getTerminator() != WmoData::NONE;
  awips_[0] = 0;
  kind_ = TEXT;
  selected_ = false;
}

void WmoIngest::firstLine(WmoData& line)
{
  kind_ = TEXT;
  if (line.beginsWith("GRIB")) {
    collectGrib(line);
  } else if (line.beginsWith("BUFR")) {
    StrLib::copy(awips_, HEADING_SIZE, "BUFR");
    kind_ = BUFR;
    long len = wmo::messageLength(reinterpret_cast<const unsigned char*>(line.getData()),
                                  line.getLength());
    expectBinary(len, line);
  } else {
    lineText(line, awips_, HEADING_SIZE);
  }
  select();
  if (selected_) save(line, line.getLength());
}

// Enough of a GRIB message for its product description, even when its first line is short.
void WmoIngest::collectGrib(WmoData& line)
{
  auto bytes = [&line] { return reinterpret_cast<const unsigned char*>(line.getData()); };
  for (;;) {
    int have = line.getLength();
    int need = wmo::gribBytesNeeded(bytes(), have);
    long total = wmo::messageLength(bytes(), have);
    if (total > 0 && total < need) need = static_cast<int>(total);
    need = std::min(need, WmoData::DATA_SIZE);
    if (have >= need) break;
    line.own();  // reading on may move the source's buffer
    unsigned char more[256];
    int got = source_.read(more, std::min(need - have, static_cast<int>(sizeof more)));
    if (Kol::isDebug(1)) {
      Kol::outDebug(1, "Small PDB %d %d\n", have, need);
      for (int i = 0; i < got; i++) Kol::outDebug(1, "%2.2x%s", more[i], i % 16 == 15 ? "\n" : " ");
      Kol::outDebug(1, "\n");
    }
    if (got <= 0) break;
    line.add(more, got);
  }
  std::string summary = wmo::gribSummary(bytes(), line.getLength());
  StrLib::copy(awips_, HEADING_SIZE, summary.c_str());
  kind_ = GRIB;
  long total = wmo::messageLength(bytes(), line.getLength());
  expectBinary(total, line);
}

// The rest of a binary message of length bytes (unknown when not above 0) whose first line
// has been read: no ETX is looked for in it, and it is due before its bulletin can end.
void WmoIngest::expectBinary(long length, const WmoData& line)
{
  long rest = std::max(length - line.getLength(), 0L);
  source_.setBinary(rest);
  binary_end_ = source_.getTotalBytes() + rest;
}

// The rules' choice for the current heading, as made when it was last met in this feed.
bool WmoIngest::selectRoute()
{
  bool known = false;
  route_ = &routes_.find(heading_, awips_, known);
  if (!known) {
    route_->selected = isSelected();
    for (int i : active_) {
      route_->outputs.emplace_back();
      route_->outputs.back().rule = i;
      route_->outputs.back().sel = rules_[i]->getSel();
    }
    return route_->selected;
  }
  for (int i : active_) rules_[i]->setSel(Product::UNSELECTED);
  active_.clear();
  for (const wmo::RouteOutput& o : route_->outputs) {
    rules_[o.rule]->setSel(o.sel);
    active_.push_back(o.rule);
  }
  return route_->selected;
}

void WmoIngest::select()
{
  decided_ = true;
  selected_ = processing_ ? selectRoute() : isSelected();
  if (selected_) {
    report('*');
    action();
    saveHeader(raw_header_, heading_, awips_);
  } else {
    report('-');
    printLog("Unselected product: %s / %s", heading_, awips_);
    unselected_++;
  }
}

void WmoIngest::report(char mark) const
{
  if (!Kol::checkMessage(Kol::OUT1)) return;
  std::time_t now = std::time(nullptr);
  std::tm t{};
  gmtime_r(&now, &t);
  Kol::outMessage(Kol::OUT1, "%c%c %3.3d %s / %.40s %c%c%c %2.2d:%2.2d:%2.2d\n", mark, mark,
                  sequence_ == MISS ? 0 : sequence_, heading_, awips_, mark, mark, mark, t.tm_hour,
                  t.tm_min, t.tm_sec);
}

bool WmoIngest::finishBulletin()
{
  if (!decided_) select();
  Kol::outDebug(3, "----------------\n");
  close();
  keepHints();
  sendPAN();
  for (int i : active_) {
    Product& r = *rules_[i];
    if (r.getAction() == Product::FILE_NAME || r.getAction() == Product::RUN) deliver(r);
  }
  if (selected_) filed_++;
  in_bulletin_ = false;
  return running_;
}

// A start line closes the bulletin before it, ETX or not, and so does the end of a file: what
// came of it is filed. Only a bulletin that never got its heading, or a binary message that
// its own length shows cut short, is dropped: there is nothing to file the one by, and the
// other would leave readers of the file a message they cannot step over. received is the
// feed's byte count at the point the bulletin ended.
bool WmoIngest::endUnterminated(long received, const char* why)
{
  if (!headed_ || (kind_ != TEXT && received < binary_end_)) {
    abortBulletin(why);
    return running_;
  }
  printLog("Product without ETX: %s / %s (%s)", heading_, awips_, why);
  return finishBulletin();
}

// A connection that ends takes the bulletin in progress with it: the feed server sends it
// again, whole, once the feed is connected again.
void WmoIngest::endOfFeed()
{
  const char* why = source_.isStopped() ? "stopped" : "end of input";
  if (source_.getMode() == WmoFile::SOCKET_MODE)
    abortBulletin(why);
  else
    endUnterminated(source_.getTotalBytes(), why);
}

void WmoIngest::abortBulletin(const char* why)
{
  flushPending();  // what a pipe was given so far goes to it, as it would have line by line
  for (int i : active_) rules_[i]->rollback();
  keepHints();
  for (int i : active_) rules_[i]->clearBulletin();
  incomplete_++;
  in_bulletin_ = false;
  Kol::outMessage(Kol::OUT1, "!! %3.3d %s / %.40s !!! incomplete: %s\n",
                  sequence_ == MISS ? 0 : sequence_, heading_, awips_, why);
  printLog("Incomplete product: %s / %s (%s)", heading_, awips_, why);
}

void WmoIngest::closeKept()
{
  outputs_.closeAll();
  indexes_.closeAll();
}

// ---- Log

int WmoIngest::printLog(const char* fmt, ...)
{
  if (log_name_.empty() || StrLib::iequal(log_name_.c_str(), "none")) return 0;
  std::time_t now = std::time(nullptr);
  if (now != log_checked_) {
    openLog(now);
    log_checked_ = now;
  }
  if (!log_.isOpen()) return 0;
  char message[LOG_MESSAGE + 1];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(message, sizeof message, fmt, ap);
  va_end(ap);
  std::tm t{};
  gmtime_r(&now, &t);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%y %b %d %H:%M:%S", &t);
  log_.printf("%s : %s\n", stamp, message);
  std::fflush(log_.getFP());
  return 1;
}

// The log name is a naming convention for the current time (a full path is taken as it is),
// placed under "file_path"; the log stays open while the name stays the same.
void WmoIngest::openLog(long now)
{
  String path;
  const char* name = log_name_.c_str();
  if (FileTool::isFullPath(name)) {
    path.copy(name);
  } else {
    if (!log_conv_) {
      log_conv_ = std::make_unique<NameConv>();
      log_conv_->set((std::strchr(name, '%') ? "@" + log_name_ : log_name_).c_str());
    }
    String encoded;
    log_conv_->encodeFile(Date(now), encoded);
    const char* dir = Kol::resrc.get("file_path");
    if (FileTool::isFullPath(encoded.get()) || !StrLib::valid(dir))
      path.copy(encoded);
    else
      FileTool::addOutPath(dir, encoded.get(), path);
  }
  if (log_.isOpen() && log_path_ == path.get()) return;
  log_.close();
  log_path_ = path.get();
  log_.open(path.get(), "a");
}

void WmoIngest::print() const
{
  std::printf("WmoIngest: products file %s, log %s, %d rules, %d PAN destinations, id %d\n",
              prod_file_.c_str(), log_name_.c_str(), getNumRules(), getNumPans(), pan_id_);
  std::printf("raw: %d seq: %d quit: %d filed: %ld unselected: %ld incomplete: %ld\n", raw_,
              seq_check_, quit_, filed_, unselected_, incomplete_);
  for (const auto& r : rules_) r->print();
  for (const auto& p : pans_) p->print();
}

}  // namespace KOL
