// The library's standard options, shared by all programs so that option names, abbreviations,
// environment variables and help lines agree: 73 options by index, and groups of them.
#pragma once

namespace KOL {

class ResrcDBItem;
class ResrcDBList;

class KolResrc {
 public:
  static constexpr int NUM_OPTIONS = 73;
  // Indices above the options name groups of them.
  enum Group : int {
    HELP_GROUP = 73,   // help, message
    PATH_GROUP,        // file_path, data_path and the other paths
    FILE_GROUP,        // name_conv, in_file, out_file
    TIME_GROUP,        // current, hour, num_hour, timezone
    STATION_GROUP,     // city_file, stat_prior
    IO_GROUP,          // input, output
    GRID_GROUP,        // grid_num, grid_type
    DOMAIN_GROUP,      // plot_domain, grid_domain, stat_prior
    MAP_GROUP,         // city_file, map_file
    PLOT_GROUP,        // plot_type, plot_scale, format, parameter, draw, label
    COLOR_GROUP,       // font_list, color_table and the basic colours
    FILL_COLOR_GROUP,  // contour and fill-plot colours
    IDENT_GROUP,       // identifier
    ANALYSIS_GROUP,    // object_param
    CONTOUR_GROUP,     // con_interval, con_base, vect_mag
    DEVICE_GROUP,      // device, geometry, title, icon, background, inverse, logo
    LAST_GROUP = DEVICE_GROUP
  };

  // The standard option of that index (0 ... 72); 0 otherwise.
  static int get(int index, ResrcDBItem& item);
  // The standard option of that exact name; 0 when none.
  static int get(const char* name, ResrcDBItem& item);
  // The index of a standard option, -1 when none.
  static int find(const char* name);
  // Appends the standard option, or every member of a group; 0 for an unknown index.
  static int add(ResrcDBList& list, int index);
};

}  // namespace KOL
