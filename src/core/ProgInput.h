// The inputs a program runs over: each name of the resource "filename" (one a line; "-" is
// standard input) is a file, or, for a program that reads files of a naming convention, a date
// or selector of it ("la", "#2020010600"). Each comes with the date that completes the day and
// hour of its reports: the resource "date" (-date, -da) when given, else the date of the file
// by the convention's name, else a date written in its name; unset when none tells one, and
// the readers then take the reports to be recent (ReportDateTool). The loop over them is every
// such program's main loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Date.h"

namespace KOL {

class ResrcDBList;

class ProgInput {
 public:
  struct Item {
    std::string name;  // the file to read, "-" for standard input
    Date date;         // near the reports it holds; unset when unknown
  };

  // The "date" option (-date or -da), with help naming what the date is near.
  static void addDateOption(ResrcDBList& keyed, const char* near);

  // A flag option written before the files ("-li FILE ...") takes the first file as its value:
  // that value goes back to the front of "filename". True when the flag is given.
  static bool takeFlag(const char* name);

  // The resource "date" into d (unset when it is not given); 0 after one line when it
  // cannot be read: "<program>: unreadable date ..." for a text that is no date at all.
  static int getDate(Date& d);

  // conv: the convention whose dates and selectors stand for files (null: files only).
  explicit ProgInput(const char* conv = nullptr);

  // Reads "date" and "filename" (fallback when it is empty; null: no input then). 0 after
  // one line when the date cannot be read.
  int setup(const char* fallback = "-");
  int getNum() const { return static_cast<int>(items.size()); }
  const Item& get(int i) const { return items[static_cast<size_t>(i)]; }
  // Calls each for every input in order, whatever an earlier call returned; 1 when every call
  // returned nonzero. A file that cannot be read is reported ("<program>: cannot open ...")
  // and counts as failed without a call.
  int forEach(const std::function<int(const Item&)>& each) const;

  // One name resolved: a file (dated by its name when it fits the convention) or a selector.
  Item resolve(const std::string& arg) const;
  // True for standard input, sockets, URLs and files that can be read; else false after a
  // message.
  static bool readable(const Item& item);

 private:
  std::string conv;
  Date given;  // the resource "date"; unset when not given
  std::vector<Item> items;
};

}  // namespace KOL
