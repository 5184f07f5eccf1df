// kolsat: describes a GINI satellite image and draws it.
//   kolsat FILE                         the header in words
//   kolsat -out=png -o=OUT FILE         the image as a grey PNG
//   kolsat -out=csv -row=N FILE         column,pixel,value along row N (from 0 at the top)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("out", "kolsatout", "ou",
            "-ou kind     info (default: the header in words), png (the image) or csv\n"
            "             (the pixels along the row given by -row)");
  keyed.add("o", "kolsato", "o", "-o name      PNG file written by -out=png");
  keyed.add("row", "kolsatrow", "ro",
            "-ro N        Row printed by -out=csv (default the middle row)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

const char* projectionName(int code)
{
  switch (code) {
    case 1:
      return "Mercator";
    case 3:
      return "Lambert conformal";
    case 5:
      return "polar stereographic";
    default:
      return "unknown";
  }
}

void describe(const GiniFile& g, const Image& im)
{
  const GiniFile::Pdb& p = g.getPdb();
  std::printf("Heading: %s\n", g.getHeading()[0] ? g.getHeading() : "-");
  std::printf("Image: %s\n", im.getInfo());
  std::printf("Satellite: creating entity %d, sector %d, channel %d\n", p.entity, p.sector,
              p.channel);
  std::printf("Time: %s\n", im.getDatim());
  std::printf("Projection: %s (%d)\n", projectionName(p.projection), p.projection);
  std::printf("Size: %d x %d pixels\n", im.getWidth(), im.getHeight());
  if (p.projection == 1)
    std::printf("Corners: %.4f N %.4f E to %.4f N %.4f E\n", static_cast<double>(p.la1),
                static_cast<double>(p.lo1), static_cast<double>(p.la2), static_cast<double>(p.lo2));
  else
    std::printf("Resolution: %.4f x %.4f km at %.1f N, first pixel %.4f N %.4f E, Lov %.4f\n",
                static_cast<double>(p.dx), static_cast<double>(p.dy),
                static_cast<double>(p.projection == 3 ? p.latin : 60.0f),
                static_cast<double>(p.la1), static_cast<double>(p.lo1), static_cast<double>(p.lov));
  if (im.getDomainProj() != Const::MISS) {
    std::printf("Domain: ");
    im.getDomain().print();
  }
  std::printf("Body: %s\n", g.getKind() == GiniFile::ZLIB  ? "zlib streams"
                            : g.getKind() == GiniFile::PNG ? "PNG"
                                                           : "raw");
}

int printRow(const Image& im, int row)
{
  if (row < 0 || row >= im.getHeight()) {
    Kol::outError("kolsat: row %d outside 0..%d\n", row, im.getHeight() - 1);
    return Kol::USAGE;
  }
  std::printf("column,pixel,value\n");
  for (int i = 0; i < im.getWidth(); ++i)
    std::printf("%d,%d,%g\n", i, im.getVal(i, row), static_cast<double>(im.getValue(i, row)));
  return Kol::SUCCESS;
}

// One image described, listed or drawn as out says; the exit status.
int show(const char* file, const std::string& out)
{
  GiniFile g(file, GiniFile::AUTO);
  Image im;
  if (!g.isOpen() || !g.readHeader(im)) {
    Kol::outError("kolsat: %s is not a readable GINI image\n", file);
    return Kol::FAILURE;
  }
  if (out == "info") {
    describe(g, im);
    return Kol::SUCCESS;
  }
  if (!g.readData(im)) Kol::outWarning("kolsat: image incomplete (%d rows)\n", g.getRowsRead());
  if (out == "csv")
    return printRow(im,
                    std::atoi(Kol::resrc.get("row", std::to_string(im.getHeight() / 2).c_str())));
  return PngFile::write(Kol::resrc.get("o"), im) ? Kol::SUCCESS : Kol::FAILURE;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  const std::string out = r.get("out", "info");
  if (out != "info" && out != "csv" && out != "png") {
    Kol::outError("kolsat: unknown output kind %s\n", out.c_str());
    return Kol::USAGE;
  }
  const char* name = r.get("o");
  if (out == "png" && (!name || !*name)) {
    Kol::outError("kolsat: -out=png needs -o=FILE\n");
    return Kol::USAGE;
  }
  ProgInput inputs;
  inputs.setup(nullptr);
  int status = Kol::SUCCESS;
  const int ok = inputs.forEach([&](const ProgInput::Item& in) {
    const int shown = show(in.name.c_str(), out);
    status = std::max(status, shown);
    return shown == Kol::SUCCESS;
  });
  if (!ok && status == Kol::SUCCESS) status = Kol::FAILURE;  // an input that could not be read
  return std::fflush(stdout) == 0 ? status : Kol::FAILURE;
}
