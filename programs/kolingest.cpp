// kolingest: files a feed of WMO bulletins (a file, "-" for standard input, "sock:HOST:PORT", or
// "sock:PORT" to wait for a feed to connect) by the rules of a products file, until the feed ends
// or SIGINT or SIGTERM asks it to stop. A stop finishes the bulletin in progress first; a second
// signal ends the program at once. Unless the message level is given, only warnings and a
// closing summary are printed; "-me=out1" lists every bulletin. The products file (-prodfile or
// -pf) is looked for in the current directory, then on the database path; without one the
// program files nothing and fails ("-prodfile=none" only lists the bulletins).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
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
};

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

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  for (const char* name : {"prod_file", "log_file", "parameter"})
    KolResrc::add(keyed, KolResrc::find(name));
  keyed.add("prodfile", "kolprodfile", nullptr, "-prodfile=F  Products file (as -pf)");
  positional.add("filename", "kolfilenm", nullptr, "feed         File, - or sock:HOST:PORT");
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  const char* feed = r.get("filename");

  // A line per bulletin is for watching a feed, not for filing one.
  if (!StrLib::valid(r.get("message"))) Kol::setMessageLevel(Kol::MESS);
  Ingest ingest;
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
  int ok = ingest.process(feed);
  active = nullptr;
  if (!ok) {
    Kol::outError("kolingest: cannot open the feed %s\n", feed);
    return Kol::FAILURE;
  }
  double seconds = Kol::getTime() - start;
  double mb = static_cast<double>(ingest.getSource().getTotalBytes()) / (1 << 20);
  Kol::outMessage(Kol::MESS,
                  "kolingest: %ld bulletins filed, %ld not selected, %ld incomplete; "
                  "%.1f MB in %.1f s (%.0f MB/s)\n",
                  ingest.getFiled(), ingest.getUnselected(), ingest.getIncomplete(), mb, seconds,
                  seconds > 0 ? mb / seconds : 0.0);
  return Kol::SUCCESS;
}
