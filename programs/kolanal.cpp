// kolanal: analyses the stations of surface files (files, or dates or selectors of the convention
// "sfc_cvt") onto a domain and writes one grid per variable and file to a grid file of the
// library's own format.
//   kolanal -va=temp,pres -gd=conus -outf=anal.grd SURFACE_FILE...
// The domain is "grid_domain" (-gd), else "plot_domain" (-pd): a domain text, a station or a
// region name. The analysis takes "object_param" (-oa filter,rad_inf,pass,conv,min_sta) and the
// parameter words of -pa ("rad_inf=4,pass=2,grid=2"). A METAR capture becomes a surface file
// through kolsfc first.
#include <strings.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "grid/GridFile.h"
#include "grid/Grids.h"
#include "grid/ObjectAnal.h"
#include "grid/SfcGrid.h"
#include "obs/Data.h"
#include "obs/SfcFile.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "sfc_cvt";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  KolResrc::add(keyed, KolResrc::DOMAIN_GROUP);
  KolResrc::add(keyed, KolResrc::ANALYSIS_GROUP);
  KolResrc::add(keyed, KolResrc::find("variable"));
  KolResrc::add(keyed, KolResrc::find("parameter"));
  keyed.add("outfile", "kolanaloutfile", "outf", "-outf name   Grid file written (required)");
  keyed.add("format", "kolanalformat", "fm", "-fm kind     binary (default) or text grid file");
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool has(const char* text) { return text && *text; }

// The analyser set up from the resources; false after a message when one of them is refused.
bool configure(const Resrc& r, SfcGrid& sg)
{
  const char* oa = r.get("object_param");
  if (has(oa) && !ObjectAnal().set(oa)) {
    Kol::outError("kolanal: unreadable analysis parameters %s\n", oa);
    return false;
  }
  const char* domain = has(r.get("grid_domain")) ? r.get("grid_domain") : r.get("plot_domain");
  if (!has(domain)) {
    Kol::outError("kolanal: no domain (-gd or -pd)\n");
    return false;
  }
  // The refusal below is the one line the user gets, so the domain reader's own is held back.
  const uint32_t mask = Kol::getMessageMask();
  Kol::setMessageLevel("none");
  const bool known = sg.setDomain(domain);
  Kol::setMessageMask(mask);
  if (!known) {
    Kol::outError("kolanal: unknown domain %s\n", domain);
    return false;
  }
  const char* vars = r.get("variable");
  if (!sg.setVariables(vars)) {
    Kol::outError("kolanal: no variable to analyse (-va)\n");
    return false;
  }
  const char* param = r.get("parameter");
  if (has(param) && !sg.setParam(param)) {
    Kol::outError("kolanal: unreadable parameters %s\n", param);
    return false;
  }
  return true;
}

int writeGrids(const std::vector<Grid>& grids, const char* name, int type)
{
  GridFile out;
  if (!out.open(name, GridFile::WRITE, type)) {
    Kol::outError("kolanal: cannot write %s\n", name);
    return 0;
  }
  int written = 0;
  for (const Grid& g : grids) written += out.write(g);
  if (!out.close() || written == 0) {
    Kol::outError("kolanal: cannot write %s\n", name);
    return 0;
  }
  Kol::outMessage("kolanal: %d grids in %s\n", written, name);
  return 1;
}

// The grids of one surface file appended to out; 0 after a message when there are none.
int analyse(SfcGrid& sg, const char* file, std::vector<Grid>& out)
{
  if (!sg.setFilename(file)) {
    Kol::outError("kolanal: no surface file %s\n", file);
    return 0;
  }
  if (SfcFile::checkType(sg.getFilename()) <= 0) {
    Kol::outError("kolanal: %s is not a surface file (kolsfc makes one of bulletins)\n",
                  sg.getFilename());
    return 0;
  }
  Data data;
  if (!SfcGrid::read(sg.getFilename(), sg.getVariables(), data)) return 0;
  if (data.getCount() == 0) {
    Kol::outError("kolanal: no station of %s can be placed\n", sg.getFilename());
    return 0;
  }
  Grids grids;
  if (!sg.compute(data, grids)) {
    Kol::outError("kolanal: analysis failed\n");
    return 0;
  }
  for (int k = 0; k < grids.getNum(); k++)
    if (grids.isSet(k)) out.push_back(grids.getGrid(k));
  return 1;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  const char* outfile = r.get("outfile");
  if (!has(outfile)) {
    Kol::outError("kolanal: no output file (-outf)\n");
    return Kol::USAGE;
  }
  const char* format = r.get("format", "binary");
  const bool text = !strncasecmp(format, "text", 4);
  if (!text && strncasecmp(format, "bin", 3) != 0) {
    Kol::outError("kolanal: unknown grid file format %s (binary or text)\n", format);
    return Kol::USAGE;
  }
  SfcGrid sg;  // takes "object_param" and "plot_domain" as it starts
  if (!configure(r, sg)) return Kol::USAGE;
  // Every surface file named (a file, or a date or selector of its convention) is analysed
  // into the one grid file.
  ProgInput inputs(CONVENTION);
  inputs.setup(nullptr);
  std::vector<Grid> analysed;
  const int ok = inputs.forEach(
      [&](const ProgInput::Item& in) { return analyse(sg, in.name.c_str(), analysed); });
  if (analysed.empty()) return Kol::FAILURE;
  const int type = text ? GridFile::NATIVE_TEXT : GridFile::NATIVE_BINARY;
  return writeGrids(analysed, outfile, type) && ok ? Kol::SUCCESS : Kol::FAILURE;
}
