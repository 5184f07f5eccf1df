#include "layers/TextProgram.h"

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDBList.h"
#include "graphics/plot/PlotOutput.h"

namespace KOL {

void TextProgram::declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  const std::string p = t.program;
  env[0] = p + "list", env[1] = p + "out", env[2] = p + "parameter";
  help[0] = std::string("-li         List the ") + t.what + "s read, one JSON object each";
  help[1] = std::string("-ou name     Draw the ") + t.drawn +
            ": NAME.png or NAME.gif (written without a display),\n"
            "             NAME.ps, NAME.eps, NAME.meta or NAME.hpgl (that device's file)";
  help[2] = std::string("-pa list     Drawing keys: ") + t.keys;
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  keyed.add("list", env[0].c_str(), "li", help[0].c_str());
  keyed.add("out", env[1].c_str(), "ou", help[1].c_str());
  keyed.add("parameter", env[2].c_str(), "pa", help[2].c_str());
  ProgInput::addDateOption(keyed, t.dateHelp);
  for (int group :
       {KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::COLOR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  KolResrc::add(positional, KolResrc::find("filename"));
}

int TextProgram::run(const TextListing::FileLister& list, const Draw& draw) const
{
  const bool listing = ProgInput::takeFlag("list");
  ProgInput inputs(t.convention);
  if (!inputs.setup()) return Kol::USAGE;
  if (listing) return TextListing::listInputs(t.program, t.what, inputs, list);
  const std::string image = PlotOutput::outputFile(Kol::resrc.get("out", ""), nullptr);
  const char* device = Kol::resrc.get("device");
  if (image.empty() && !(device && *device)) {
    Kol::outError("%s: give -li to list the %ss or -ou=NAME.png to draw them\n", t.program, t.what);
    return Kol::USAGE;
  }
  return draw(inputs, image);
}

}  // namespace KOL
