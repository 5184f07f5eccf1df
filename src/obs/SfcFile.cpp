#include "obs/SfcFile.h"

#include <strings.h>
#include <cstring>

#include "core/File.h"
#include "core/Kol.h"

namespace KOL {

SfcFile::SfcFile(const char* name, int mode, int type)
{
  init();
  open(name, mode, type);
}

SfcFile::SfcFile(const char* name, int mode, const char* typeWord)
{
  init();
  open(name, mode, typeWord);
}

void SfcFile::init()
{
  type_ = UNKNOWN;
  mode_ = READ;
  date_ = Date();
  open_ = false;
}

int SfcFile::checkType(const char* name)
{
  File f;
  if (!name || !f.open(name, "r")) return -1;
  unsigned char head[10] = {};
  int n = f.read(head, static_cast<int>(sizeof head));
  if (n >= 6 && !std::memcmp(head, "KOLSFC", 6)) return KOL;
  if (n >= 3 && !std::memcmp(head, "CDF", 3)) return CDF;
  if (n >= 5 && !std::memcmp(head, "<?xml", 5)) return XML;
  if (n >= 2 && head[0] == 0x1F && head[1] == 0x8B) return XMLC;
  return UNKNOWN;
}

int SfcFile::getType(const char* word)
{
  static const char* const WORDS[] = {"kol", "cdf", "xml", "xmlc"};
  for (int i = 0; word && i < 4; ++i)
    if (!strcasecmp(word, WORDS[i])) return i + 1;
  return UNKNOWN;
}

int SfcFile::open(const char* name, int mode, const char* typeWord)
{
  int type = typeWord && *typeWord ? getType(typeWord) : UNKNOWN;
  if (typeWord && *typeWord && !type) {
    Kol::outWarning("SfcFile: unknown type %s\n", typeWord);
    return 0;
  }
  return open(name, mode, type);
}

int SfcFile::open(const char* name, int mode, int type)
{
  close();
  if (!name || mode < READ || mode > APPEND || type < UNKNOWN || type > UNI) return 0;
  if (type == UNKNOWN) {
    int found = checkType(name);
    if (mode == WRITE || (mode == APPEND && found < 0)) {
      type = KOL;
    } else if (found <= 0) {
      if (found == 0 && mode == APPEND) {
        File f(name, "r");
        char c;
        type = f.read(&c, 1) == 1 ? UNKNOWN : KOL;
      }
      if (!type) {
        Kol::outWarning("SfcFile: %s: %s\n", found < 0 ? "Unable to open file" : "unknown format",
                        name);
        return 0;
      }
    } else {
      type = found;
    }
  }
  int ok = 0;
  switch (type) {
    case KOL:
      kol_.setDate(date_);
      ok = kol_.open(name, mode);
      break;
    case CDF:
      cdf_.setDate(date_);
      ok = cdf_.open(name, mode);
      break;
    case XML:
    case XMLC:
      xml_.setDate(date_);
      ok = xml_.open(name, mode, type == XMLC);
      break;
    case UNI:
      ok = mode == READ && uni_.open(name);
      break;
  }
  if (!ok) return 0;
  type_ = type;
  mode_ = mode;
  open_ = true;
  if (mode == READ) getDate(date_);
  return 1;
}

int SfcFile::read(SfcData& s)
{
  if (!open_) return 0;
  switch (type_) {
    case KOL:
      return kol_.read(s);
    case CDF:
      return cdf_.read(s);
    case XML:
    case XMLC:
      return xml_.read(s);
    case UNI:
      return uni_.read(s);
  }
  return 0;
}

int SfcFile::write(const SfcData& s)
{
  if (!open_) return 0;
  switch (type_) {
    case KOL:
      return kol_.write(s);
    case CDF:
      return cdf_.write(s);
    case XML:
    case XMLC:
      return xml_.write(s);
  }
  return 0;
}

int SfcFile::setDate(const Date& d)
{
  date_ = d;
  kol_.setDate(d);
  cdf_.setDate(d);
  xml_.setDate(d);
  uni_.setDate(d);
  return 1;
}

int SfcFile::getDate(Date& d) const
{
  switch (open_ ? type_ : UNKNOWN) {
    case KOL:
      return kol_.getDate(d);
    case CDF:
      return cdf_.getDate(d);
    case XML:
    case XMLC:
      return xml_.getDate(d);
    case UNI:
      return uni_.getDate(d);
  }
  d = date_;
  return d.isSet() ? 1 : 0;
}

const char* SfcFile::getDatim() const { return open_ && type_ == KOL ? kol_.getDatim() : ""; }

int SfcFile::rewind() { return open_ && type_ == KOL ? kol_.rewind() : 0; }

int SfcFile::close()
{
  int ok = 1;
  if (open_) {
    switch (type_) {
      case KOL:
        ok = kol_.close();
        break;
      case CDF:
        ok = cdf_.close();
        break;
      case XML:
      case XMLC:
        ok = xml_.close();
        break;
      case UNI:
        ok = uni_.close();
        break;
    }
  }
  open_ = false;
  type_ = UNKNOWN;
  return ok;
}

}  // namespace KOL
