#include "obs/SfcXmlFile.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>
#include <zlib.h>

#include <cstring>
#include <memory>

#include "core/File.h"
#include "core/Kol.h"
#include "obs/sfc/SfcFields.h"

namespace KOL {

namespace {

constexpr const char* ROOT = "kolsfc";
constexpr const char* OBS = "obs";
constexpr int CHUNK = 1 << 16;

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const char* C(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct WriterFree {
  void operator()(xmlTextWriter* w) const { xmlFreeTextWriter(w); }
};
struct BufferFree {
  void operator()(xmlBuffer* b) const { xmlBufferFree(b); }
};

// The whole file, gzip-compressed or not (zlib reads both).
bool slurp(const char* name, std::string& out)
{
  gzFile in = gzopen(name, "rb");
  if (!in) return false;
  char buf[CHUNK];
  int n;
  while ((n = gzread(in, buf, CHUNK)) > 0) out.append(buf, n);
  bool ok = n == 0;
  gzclose(in);
  return ok;
}

bool spill(const std::string& name, const char* data, size_t size, bool compressed)
{
  if (compressed) {
    gzFile out = gzopen(name.c_str(), "wb");
    if (!out) return false;
    bool ok =
        size == 0 || gzwrite(out, data, static_cast<unsigned>(size)) == static_cast<int>(size);
    return gzclose(out) == Z_OK && ok;
  }
  File f(name.c_str(), "w");
  return f.isOpen() && f.write(data, static_cast<int>(size)) == static_cast<int>(size) && f.close();
}

// XML 1.0 holds no control characters: they are written as blanks.
std::string printable(std::string text)
{
  for (char& c : text)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  return text;
}

void readObs(xmlNode* obs, SfcData& s)
{
  s.init();
  for (xmlNode* n = obs->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    const sfc::Field* f = sfc::findField(C(n->name));
    if (!f) continue;
    xmlChar* content = xmlNodeGetContent(n);
    if (content) sfc::setField(*f, s, C(content));
    xmlFree(content);
  }
  sfc::finishRecord(s);
}

}  // namespace

void SfcXmlFile::init()
{
  name_.clear();
  mode_ = READ;
  compressed_ = open_ = false;
  date_ = Date();
  records_.clear();
  next_ = 0;
}

int SfcXmlFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "r")) return -1;
  unsigned char head[5] = {};
  int n = f.read(head, 5);
  if (n >= 2 && head[0] == 0x1F && head[1] == 0x8B) return 2;
  return n == 5 && !std::memcmp(head, "<?xml", 5) ? 1 : 0;
}

int SfcXmlFile::open(const char* name, int mode, bool compressed)
{
  close();
  if (!name || mode < READ || mode > APPEND) return 0;
  int type = checkType(name);
  bool load_it = mode == READ || (mode == APPEND && type > 0);
  if ((mode == READ || mode == APPEND) && type == 0) {
    File f(name, "r");
    char c;
    if (mode == READ || f.read(&c, 1) == 1) {
      Kol::outWarning("SfcXmlFile: not a surface XML file: %s\n", name);
      return 0;
    }
  }
  if (mode == READ && type < 0) {
    Kol::outWarning("SfcXmlFile: Unable to open file: %s\n", name);
    return 0;
  }
  if (load_it && !load(name)) return 0;
  if (mode != READ) {
    // Find out now whether the file can be written at all.
    File probe(name, "a");
    if (!probe.isOpen()) {
      Kol::outWarning("SfcXmlFile: Unable to open file: %s\n", name);
      records_.clear();
      return 0;
    }
  }
  name_ = name;
  mode_ = mode;
  compressed_ = compressed;
  open_ = true;
  next_ = 0;
  return 1;
}

bool SfcXmlFile::load(const char* name)
{
  std::string text;
  if (!slurp(name, text)) {
    Kol::outWarning("SfcXmlFile: cannot read %s\n", name);
    return false;
  }
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadMemory(text.data(), static_cast<int>(text.size()), name, nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE));
  xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (!root || std::strcmp(C(root->name), ROOT) != 0) {
    Kol::outWarning("SfcXmlFile: not a surface XML document: %s\n", name);
    return false;
  }
  if (xmlChar* d = xmlGetProp(root, X("date"))) {
    char* end = nullptr;
    long secs = std::strtol(C(d), &end, 10);
    if (end && !*end && end != C(d)) date_.set(secs);
    xmlFree(d);
  }
  for (xmlNode* n = root->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE || std::strcmp(C(n->name), OBS) != 0) continue;
    records_.emplace_back();
    readObs(n, records_.back());
  }
  return true;
}

bool SfcXmlFile::save()
{
  std::unique_ptr<xmlBuffer, BufferFree> buffer(xmlBufferCreate());
  std::unique_ptr<xmlTextWriter, WriterFree> w(buffer ? xmlNewTextWriterMemory(buffer.get(), 0)
                                                      : nullptr);
  if (!w) return false;
  xmlTextWriterSetIndent(w.get(), 1);
  xmlTextWriterSetIndentString(w.get(), X(" "));
  bool ok =
      xmlTextWriterStartDocument(w.get(), nullptr, "UTF-8", nullptr) >= 0 &&
      xmlTextWriterStartElement(w.get(), X(ROOT)) >= 0 &&
      xmlTextWriterWriteAttribute(w.get(), X("version"), X(std::to_string(VERSION).c_str())) >= 0;
  if (ok && date_.isSet())
    ok = xmlTextWriterWriteAttribute(w.get(), X("date"),
                                     X(std::to_string(date_.getSeconds()).c_str())) >= 0;
  std::string value;
  for (const SfcData& s : records_) {
    if (!ok) break;
    ok = xmlTextWriterStartElement(w.get(), X(OBS)) >= 0;
    for (int i = 0; ok && i < sfc::fieldCount(); ++i) {
      const sfc::Field& f = sfc::fields()[i];
      value.clear();
      if (!sfc::getField(f, s, value)) continue;
      ok = xmlTextWriterWriteElement(w.get(), X(f.name), X(printable(value).c_str())) >= 0;
      if (ok && f.kind == sfc::Field::DATE) {
        char hhmm[8];
        std::snprintf(hhmm, sizeof hhmm, "%04d", s.getTime());
        ok = xmlTextWriterWriteElement(w.get(), X("time.hhmm"), X(hhmm)) >= 0;
      }
    }
    ok = ok && xmlTextWriterEndElement(w.get()) >= 0;
  }
  ok = ok && xmlTextWriterEndDocument(w.get()) >= 0;
  w.reset();
  if (!ok) return false;
  return spill(name_, C(xmlBufferContent(buffer.get())), xmlBufferLength(buffer.get()),
               compressed_);
}

int SfcXmlFile::read(SfcData& s)
{
  if (!open_ || mode_ != READ || next_ >= records_.size()) return 0;
  s = records_[next_++];
  return 1;
}

int SfcXmlFile::write(const SfcData& s)
{
  if (!open_ || mode_ == READ) return 0;
  records_.push_back(s);
  return 1;
}

int SfcXmlFile::setDate(const Date& d)
{
  date_ = d;
  return 1;
}

int SfcXmlFile::getDate(Date& d) const
{
  d = date_;
  return d.isSet() ? 1 : 0;
}

int SfcXmlFile::rewind()
{
  if (!open_ || mode_ != READ) return 0;
  next_ = 0;
  return 1;
}

int SfcXmlFile::close()
{
  int ok = 1;
  if (open_ && mode_ != READ && !save()) {
    Kol::outWarning("SfcXmlFile: cannot write %s\n", name_.c_str());
    ok = 0;
  }
  open_ = false;
  records_.clear();
  next_ = 0;
  return ok;
}

}  // namespace KOL
