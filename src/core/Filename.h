// What programs use to name their input and output files: a naming convention combined with
// the user's file argument (a name, "la", "la-6", "#2024011512", "cu", "@name", "-"), the
// resources "filename", "current" and the path resources, and a sequence of several files
// spaced by the convention's time step.
#pragma once

#include "core/Date.h"
#include "core/NameConv.h"
#include "core/String.h"
#include "core/Strings.h"

namespace KOL {

class Filename {
 public:
  static constexpr int TYPE_SIZE = 30;
  // List mode: every item of the file list is one file.
  static constexpr int LIST = 2;

  Filename() { init(); }
  explicit Filename(const char* name);
  Filename(const char* conv, const char* spec);
  Filename(const char* conv, const Date& d);

  void init();
  // A literal name.
  int set(const char* name);
  int set(const char* conv, const char* spec);
  int set(const char* conv, const Date& d);
  int setNameConv(const char* conv);
  int setPath(const char* path);
  void setDate(const Date& d) { date = d; }
  void setBaseDate(const Date& d) { base = d; }
  int setFixDate(const DateVal& d) { return conv.setFixDate(d); }
  int setFixDate(const char* text) { return conv.setFixDate(text); }
  void setLateLimit(int n) { conv.setLateLimit(n); }
  void setLateDate(const Date& d) { conv.setLateDate(d); }
  void setOutput(bool on) { conv.setOutput(on); }
  void setType(const char* t);
  const char* getType() const { return type; }
  int setName(const char* name);
  const char* getName() const { return name.get(); }
  // The name of file i of the sequence ("" when there is none).
  const char* getName(int i);
  int setHeader(const char* hdr);
  const char* getHeader() const { return header.get(); }
  bool validHeader() const { return header.valid(); }
  bool isSet() const { return set_flag; }
  bool isFixed() const { return fixed; }
  int getDate(Date& d) const;
  const DateVal& getDateval() const { return date; }
  int getOffset() const { return conv.getOffset(); }
  NameConv& getNameConv() { return conv; }

  int setNumFiles(int n);
  // "[-]H:M[-H:M][,H:M]": the span before (and after) the base date, and the step.
  int setNumFiles(const char* text);
  int getNumFiles() const { return num_files; }

  // One user file argument; see the file requests of NameConv.
  int checkFile(const char* arg);
  // From the resources "filename" and "current" alone.
  int setFile();
  // From a list text (or the resource "filename"): item 0 is the file, "nh=..." a file count.
  int setFile(const char* text);
  // File i of the sequence or of the list.
  int setFile(int i);
  int setFile(const Date& d);
  int setFile(const Date& d, const char* conv_spec);
  bool exist() const;
  int addOutPath(const char* list);
  // Prints every existing file of the convention, one per line; the number of files.
  int listFile();
  void print() const;
  void printConv() const { conv.print(); }

 private:
  int literal(const char* text, bool is_fixed);
  int take(const NameConvFile& f);
  int applySpec(const char* spec);
  int splitList(const char* text);

  bool set_flag;
  bool fixed;
  char type[TYPE_SIZE];
  String name;
  String header;
  Date date;
  Date base;
  NameConv conv;
  Strings args;
  int num_files;
  int start_offset;
  int list_mode;
  int direction;
  int step;
};

}  // namespace KOL
