// Builds the process-wide resource database Kol::resrc from the program name, resource files
// on a search list, environment variables and the command line (later sources win), and
// prints the help text of a program's declared options.
#pragma once

namespace KOL {

class ResrcDBList;
class String;
class Strings;

class ResrcDB {
 public:
  // Used when neither "-df" nor the environment gives the resource "default".
  static constexpr const char* SEARCH_LIST =
      ".:/home/kol/etc:/usr/local/etc/kol:/usr/local/kol/etc:/etc/kol";

  // The text after the last '/' of path.
  static int decodeProgramName(const char* path, String& name);
  // Fills Kol::resrc for the command line args (item 0 the program path) and the declared
  // keyed and positional options, then applies "message" and "file_path". Entries already in
  // the database stay unless a source replaces them.
  static int create(Strings& args, ResrcDBList& keyed, ResrcDBList& positional);
  static void printHelp(const char* prog, ResrcDBList& keyed, ResrcDBList& positional);
  // The usual start of a program: create, then the help text when "help" is set or when the
  // resource named by required (if any) has no value. Returns -1 for the program to go on,
  // otherwise its exit status.
  static int startProgram(int argc, char** argv, ResrcDBList& keyed, ResrcDBList& positional,
                          const char* required = nullptr);
};

}  // namespace KOL
