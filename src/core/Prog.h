// Program-level helpers on top of the program frame: resource files read without a command
// line, the program banner, help printing and an interactive prompt that also accepts
// "set name=value" commands.
#pragma once

namespace KOL {

class ResrcDBList;
class String;

class Prog {
 public:
  // Used when neither the defaults nor the environment variable "koldefault" give a list.
  static constexpr const char* SEARCH_LIST = ".:/home/kol/etc:/usr/local/kol/etc";

  // Reads the resource files of the search list (defaults, "koldefault" or SEARCH_LIST) for
  // program prog and instance name into Kol::resrc, then applies "message", "file_path" and
  // "cur_time". The number of files read.
  static int readResrcFile(const char* prog, const char* name, const char* tag,
                           const char* defaults);
  static int readResrcFile(const char* name, const char* defaults);
  static int readResrcFile(const char* name);
  static int readResrcFile();

  static void printProg(int level, const char* name);
  static void printProg(const char* name);
  // With the resource "help": prints the description and the options, returns 1.
  static int printHelp(ResrcDBList& keyed, ResrcDBList& positional, const char* description);

  // A prompt line: "set name value" stores a resource, "set" lists them, "exit" ends the
  // program. 1 when the prompt should be repeated, 0 when the line is the answer.
  static int setCommand(const char* line);
  // Prompts until a line is an answer; 0 at the end of input.
  static int prompt(const char* fmt, char* buffer, int size);
  static int prompt(const char* fmt, String& out);
  static int prompt(const char* fmt);
};

}  // namespace KOL
