// Builds the resource database from its command line and prints one resource, through the
// installed headers only.
#include <kol/core/Kol.h>
#include <kol/core/KolResrc.h>
#include <kol/core/ResrcDB.h>
#include <kol/core/ResrcDBList.h>
#include <kol/core/Strings.h>

#include <cstdio>

int main(int argc, char** argv)
{
  KOL::ResrcDBList keyed, positional;
  KOL::KolResrc::add(keyed, 56);  // plot_domain
  KOL::Strings args(argc, argv);
  KOL::ResrcDB::create(args, keyed, positional);
  std::printf("%s %s\n", KOL::Kol::getProgramName(), KOL::Kol::resrc.get("plot_domain", "none"));
  return 0;
}
