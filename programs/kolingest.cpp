// kolingest: files feeds of WMO bulletins (files, "-" for standard input, "sock:HOST:PORT", or
// "sock:PORT" to wait for a feed to connect) by the rules of a products file, until the feed ends
// or SIGINT or SIGTERM asks it to stop. A stop finishes the bulletin in progress first; a second
// signal ends the program at once. Unless the message level is given, only warnings and a
// closing summary are printed; "-me=out1" lists every bulletin. The products file (-prodfile or
// -pf) is looked for in the current directory, then on the database path; without one the
// program files nothing and fails ("-prodfile=none" only lists the bulletins). The day and hour of
// the headings are taken to be near now, or near the date of -date for a capture of another day.
// Files and pipes may also hold bulletins framed by ZCZC ... NNNN, or bare bulletins that start
// at their heading line. A file without a bulletin is one line and a failure.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "core/Date.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "obs/Product.h"
#include "obs/WmoIngest.h"

using namespace KOL;

namespace {

// Run rules run their expanded command once the bulletin is filed; file rules report the
// name. Heading words in the command are reduced to letters, digits and ". _ + -".
class Ingest : public WmoIngest {
 protected:
  void deliver(Product& rule) override
  {
    const char* name = rule.getFilename();
    if (!name[0]) return;
    if (rule.getAction() == Product::RUN) {
      Kol::outMessage(Kol::OUT1 + 1, "  Run: %s\n", name);
      int status = std::system(name);
      if (status != 0) printLog("Run failed (%d): %s", status, name);
    } else {
      Kol::outMessage(Kol::OUT1 + 1, "  File: %s\n", name);
      printLog("File: %s", name);
    }
  }
  // The program says it in its own words, once for the file.
  void noBulletin(const char*) override {}
};

// With -date a capture of another day is filed under the day of its headings.
constexpr const char* DATE_HELP =
    "-da date     Date near the bulletins' headings, yyyymmddhhmm (default: as they arrive)";

std::atomic<WmoIngest*> active{nullptr};
volatile sig_atomic_t stops = 0;

void onSignal(int)
{
  if (stops++ > 0) _exit(Kol::FAILURE);
  if (WmoIngest* w = active.load()) w->terminate();
}

void catchSignals()
{
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: a waiting read returns and the wait check sees the request
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a pipe rule whose command ended is reported, not fatal
}

// The counts of an ingest are those of its last feed.
long bulletins(const WmoIngest& w) { return w.getFiled() + w.getUnselected() + w.getIncomplete(); }

struct Totals {
  int feeds = 0;
  long filed = 0, unselected = 0, incomplete = 0, bytes = 0;

  void add(WmoIngest& w)
  {
    feeds++;
    filed += w.getFiled();
    unselected += w.getUnselected();
    incomplete += w.getIncomplete();
    bytes += w.getSource().getTotalBytes();
  }
  void print(double seconds) const
  {
    double mb = static_cast<double>(bytes) / (1 << 20);
    Kol::outMessage(Kol::MESS,
                    "kolingest: %ld bulletins filed, %ld not selected, %ld incomplete; "
                    "%.1f MB in %.1f s (%.0f MB/s)\n",
                    filed, unselected, incomplete, mb, seconds, seconds > 0 ? mb / seconds : 0.0);
  }
};

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  for (const char* name : {"prod_file", "log_file", "parameter"})
    KolResrc::add(keyed, KolResrc::find(name));
  keyed.add("prodfile", "kolprodfile", nullptr, "-prodfile=F  Products file (as -pf)");
  ProgInput::addDateOption(keyed, DATE_HELP);
  positional.add("filename", "kolfilenm", nullptr, "feed...      Files, - or sock:HOST:PORT");
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  ProgInput feeds;
  if (!feeds.setup(nullptr)) return Kol::USAGE;

  // A line per bulletin is for watching a feed, not for filing one.
  if (!StrLib::valid(r.get("message"))) Kol::setMessageLevel(Kol::MESS);
  Ingest ingest;
  if (Date date; ProgInput::getDate(date) && date.isSet()) ingest.setDate(date);
  if (const char* prd = r.get("prodfile"); StrLib::valid(prd))
    ingest.setParam((std::string("prodfile=") + prd).c_str());
  // A products file is looked for where the program was started, then on the database path;
  // filing nothing for want of one is no success.
  std::string prod = ingest.getProdFile();
  if (!FileTool::isFullPath(prod.c_str()) && FileTool::exist(prod.c_str())) prod = "./" + prod;
  if (!StrLib::iequal(prod.c_str(), "none") && !ingest.readProdFile(prod.c_str())) {
    Kol::outError("kolingest: products file not found: %s\n", prod.c_str());
    return Kol::FAILURE;
  }
  active = &ingest;
  catchSignals();
  double start = Kol::getTime();
  Totals sum;
  const int ok = feeds.forEach([&ingest, &sum](const ProgInput::Item& feed) {
    if (stops) return 1;  // a stop ends the run, not only the feed in progress
    if (!ingest.process(feed.name.c_str())) {
      Kol::outError("kolingest: cannot open the feed %s\n", feed.name.c_str());
      return 0;
    }
    // A file of anything but bulletins is no feed; a connection that brought none is.
    if (bulletins(ingest) == 0 && !stops && !StrLib::equal(feed.name.c_str(), "sock:", 5)) {
      Kol::outError("kolingest: no WMO bulletin in %s\n", feed.name.c_str());
      return 0;
    }
    sum.add(ingest);
    return 1;
  });
  active = nullptr;
  // One line for a run that read no feed: why.
  if (sum.feeds > 0) sum.print(Kol::getTime() - start);
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
