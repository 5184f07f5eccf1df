#include "core/KolResrc.h"

#include <cstring>
#include <initializer_list>

#include "core/ResrcDBList.h"

namespace KOL {

namespace {

struct Option {
  const char* name;
  const char* env;
  const char* abbrev;
  const char* help;
};

// The standard options, by index. Help lines pad the usage part to 12 characters.
constexpr Option OPTIONS[KolResrc::NUM_OPTIONS] = {
    {"background", "kolback", "bg", "-bg color    Background color"},
    {"calibration", "kolcalib", "ca", "-ca cal      Calibration data"},
    {"city_file", "kolcity", "cf", "-cf file     City database file"},
    {"color_clabel", "kolclrclab", "cocl", "-cocl color  Contour label color"},
    {"color_cont", "kolclrcont", "coco", "-coco color  Contour line color"},
    {"color_data", "kolclrdat", "cod", "-cod color   Data color and attribs"},
    {"color_fgrid", "kolclrfgrid", "cofg", "-cofg color  Grid color for fill plots"},
    {"color_fill", "kolclrfill", "cof", "-cof clr...  Fill colors and attribs"},
    {"color_flabel", "kolclrflab", "cofl", "-cofl color  Contour label color for fill plots"},
    {"color_fmap", "kolclrfmap", "cofm", "-cofm color  Map color for fill plots"},
    {"color_front", "kolclrfrt", "cofr", "-cofr clr... Colors for fronts"},
    {"color_grid", "kolclrgrid", "cog", "-cog color   Grid color"},
    {"color_label", "kolclrlab", "col", "-col color   Label color"},
    {"color_latlon", "kolclrll", "coll", "-coll color  Lat-lon line color"},
    {"color_map", "kolclrmap", "com", "-com color   Map color and attribs"},
    {"color_parcel", "kolclrpar", "copa", "-copa clr... Parcel sounding color"},
    {"color_table", "kolclrtbl", "ct", "-ct files... Color table file"},
    {"color_watch", "kolclrwat", "cowa", "-cowa clr... Colors for watch boxes"},
    {"con_base", "kolconbase", "cb", "-cb base     Contour base value"},
    {"con_path", "kolcpath", "cp", "-cp path     Converted data path"},
    {"con_interval", "kolconint", "ci", "-ci intrvl   Contour interval"},
    {"current", "kolcurrent", "cu", "-cu [hour]   Currency of input data"},
    {"data_path", "koldpath", "dp", "-dp path     Data path"},
    {"device", "koldevice", "de", "-de device   Device type and params"},
    {"draw", "koldraw", "dr", "-dr types... Draw these types"},
    {"file_path", "kolfpath", "fp", "-fp path     File path"},
    {"filename", "kolfilenm", nullptr, "filenames... Filenames"},
    {"font_list", "kolfont", "fl", "-fl list     List of usable fonts"},
    {"format", "kolformat", "fm", "-fm format   Formats"},
    {"geometry", "kolgeom", "ge", "-ge geometry Window geometry"},
    {"grid_domain", "kolgrddom", "gd", "-gd domain   Grid domain"},
    {"grid_path", "kolgpath", "gp", "-gp path     Grid path"},
    {"grid_num", "kolgrdnum", "gn", "-gn num      Gridnumber"},
    {"grid_type", "kolgrdtype", "gt", "-gt type     Gridtype"},
    {"help", "kolhelp", "h", "-h           Print help"},
    {"hour", "kolhour", "ho", "-ho [hour]   Use specific hour"},
    {"icon", "kolicon", "ic", "-ic          Specify window icon mode"},
    {"identifier", "kolident", "id", "-id ident    Specify the station ID"},
    {"image_path", "kolipath", "ip", "-ip path     Image path"},
    {"in_file", "kolinfile", "if", "-if files    Input file type"},
    {"input", "kolin", "in", "-in type     Input type"},
    {"inverse", "kolinv", "iv", "-iv          Inverse colors"},
    {"label", "kollabel", "la", "-la label... Plot these labels"},
    {"level", "kollevel", "le", "-le level    Vertical level"},
    {"log_file", "kollog", "lf", "-lf file     Log file name"},
    {"logo", "kollogo", "lo", "-lo logo     Logo overlay"},
    {"map_file", "kolmap", "mf", "-mf files    Map files"},
    {"message", "kolmess", "me", "-me level    Message level"},
    {"model", "kolmodel", "mo", "-mo type     Model type"},
    {"model_path", "kolmpath", "mp", "-mp path     Model path"},
    {"name_conv", "kolname", "nc", "-nc file     Name convention file"},
    {"num_hour", "kolnumhour", "nh", "-nh [hour]   Number of hours to use"},
    {"object_param", "kolobject", "oa",
     "-oa smooth[,radinf,pass,conv,min] Specifies objective analysis params"},
    {"out_file", "koloutfile", "of", "-of files    Output file type"},
    {"output", "kolout", "ou", "-ou type     Output type"},
    {"parameter", "kolparam", "pa", "-pa param... Program parameters"},
    {"plot_domain", "kolpltdom", "pd", "-pd domain   Plot domain"},
    {"plot_range", "kolrange", "ra", "-ra range    Plot ranges"},
    {"plot_scale", "kolscale", "sc", "-sc scale    Plot scale factor"},
    {"plot_type", "kolplot", "pl", "-pl type     Plot type"},
    {"product", "kolproduct", "ph", "-ph prod     Product header"},
    {"prod_file", "kolprodfile", "pf", "-pf file     Product file used for ingest"},
    {"raw_path", "kolrpath", "rp", "-rp path     Raw path"},
    {"sat_path", "kolspath", "sp", "-sp path     Satellite path"},
    {"stat_prior", "kolprior", "pr", "-pr prior    Station priority"},
    {"text_path", "koltpath", "tp", "-tp path     Text path"},
    {"time", "koltime", "ft", "-ft time     Forecast time"},
    {"timezone", "koltz", "tz", "-tz zone     Time zone"},
    {"title", "koltitle", "ti", "-ti title    Window title"},
    {"type", "koltype", "ty", "-ty type     Data type"},
    {"variable", "kolvar", "va", "-va var...   Type of data to plot"},
    {"var_file", "kolvarfile", "vf", "-vf file     Name of variable file to search"},
    {"vect_mag", "kolmag", "vm", "-vm mag      The magnitude to scale vectors to"},
};

// The groups, from index NUM_OPTIONS on, by member name.
const std::initializer_list<const char*> GROUPS[] = {
    {"help", "message"},
    {"file_path", "data_path", "con_path", "grid_path", "raw_path", "image_path", "text_path",
     "model_path", "sat_path"},
    {"name_conv", "in_file", "out_file"},
    {"current", "hour", "num_hour", "timezone"},
    {"city_file", "stat_prior"},
    {"input", "output"},
    {"grid_num", "grid_type"},
    {"plot_domain", "grid_domain", "stat_prior"},
    {"city_file", "map_file"},
    {"plot_type", "plot_scale", "format", "parameter", "draw", "label"},
    {"font_list", "color_table", "color_data", "color_fill", "color_map", "color_grid",
     "color_latlon", "color_label"},
    {"color_cont", "color_clabel", "color_flabel", "color_fmap", "color_fgrid"},
    {"identifier"},
    {"object_param"},
    {"con_interval", "con_base", "vect_mag"},
    {"device", "geometry", "title", "icon", "background", "inverse", "logo"},
};

constexpr int NUM_GROUPS = sizeof GROUPS / sizeof GROUPS[0];
static_assert(KolResrc::NUM_OPTIONS + NUM_GROUPS - 1 == KolResrc::LAST_GROUP);

}  // namespace

int KolResrc::get(int index, ResrcDBItem& item)
{
  if (index < 0 || index >= NUM_OPTIONS) return 0;
  const Option& o = OPTIONS[index];
  item.set(o.name, o.env, o.abbrev, o.help);
  return 1;
}

int KolResrc::get(const char* name, ResrcDBItem& item) { return name ? get(find(name), item) : 0; }

int KolResrc::find(const char* name)
{
  for (int i = 0; name && i < NUM_OPTIONS; i++)
    if (std::strcmp(OPTIONS[i].name, name) == 0) return i;
  return -1;
}

int KolResrc::add(ResrcDBList& list, int index)
{
  ResrcDBItem item;
  if (get(index, item)) return list.add(item);
  if (index < NUM_OPTIONS || index > LAST_GROUP) return 0;
  for (const char* member : GROUPS[index - NUM_OPTIONS])
    if (get(member, item)) list.add(item);
  return 1;
}

}  // namespace KOL
