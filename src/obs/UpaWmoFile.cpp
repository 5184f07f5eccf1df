#include "obs/UpaWmoFile.h"

#include <cstdio>
#include <string>

#include "core/Filename.h"
#include "core/Kol.h"
#include "core/ReportDateTool.h"
#include "obs/UpaWmoData.h"
#include "obs/upa/PartCutter.h"

namespace KOL {

namespace {

constexpr int LINE_SIZE = 10000;

}  // namespace

UpaWmoFile::UpaWmoFile() : cutter_(std::make_unique<upa::PartCutter>()) {}

UpaWmoFile::~UpaWmoFile() { close(); }

int UpaWmoFile::open(const char* name)
{
  close();
  *cutter_ = upa::PartCutter();
  ended_ = false;
  name_date_ = Date();
  ReportDateTool::fromName(name, name_date_);
  if (!file_.open(name, "r")) {
    Kol::outError("UpaWmoFile: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  return 1;
}

int UpaWmoFile::open(const Filename& name) { return open(name.getName()); }

int UpaWmoFile::read(UpaWmoData& part)
{
  line_.resize(LINE_SIZE);
  while (!cutter_->ready() && !ended_) {
    if (!file_.isOpen() || file_.getLine(line_.data(), LINE_SIZE) <= 0) {
      ended_ = true;
      cutter_->flush();
      break;
    }
    cutter_->line(line_.c_str());
  }
  if (!cutter_->ready()) return 0;
  upa::CutPart cut = cutter_->take();
  part.init();
  part.setText(cut.text);
  part.setWmo(cut.heading.c_str());
  part.date = getDate();
  if (cut.day > 0) ReportDateTool::complete(getDate(), cut.day, cut.hour, cut.minute, part.date);
  return 1;
}

bool UpaWmoFile::checkType(const char* name)
{
  UpaWmoFile f;
  UpaWmoData part;
  return f.open(name) && f.read(part);
}

int UpaWmoFile::rewind()
{
  if (!file_.isOpen()) return 0;
  *cutter_ = upa::PartCutter();
  ended_ = false;
  return file_.seek(0, SEEK_SET) == 0;
}

int UpaWmoFile::close()
{
  if (!file_.isOpen()) return 0;
  return file_.close();
}

}  // namespace KOL
