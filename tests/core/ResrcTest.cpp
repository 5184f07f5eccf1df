// The resource database, declared option lists, the standard option table, command-line items
// and environment lookup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcCL.h"
#include "core/ResrcDBList.h"
#include "core/ResrcEnv.h"
#include "core/String.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

TEST(Resrc, AddReplacesValueAndTypeAndKeepsOrder)
{
  Resrc r;
  EXPECT_EQ(r.get("a"), nullptr);
  EXPECT_EQ(r.getType("a"), 0);
  r.add("a", "1", Resrc::RESFILE, "/etc/kol/kol.cfg");
  r.add("b", nullptr, Resrc::ENVIRON);
  r.add("A", "upper", Resrc::CMDLINE);
  EXPECT_STREQ(r.getOrigin("a"), "/etc/kol/kol.cfg");
  r.add("a", "2", Resrc::CMDLINE);
  EXPECT_STREQ(r.get("a"), "2");
  EXPECT_EQ(r.getType("a"), Resrc::CMDLINE);
  EXPECT_STREQ(r.getOrigin("a"), "");  // a new source forgets the old file
  EXPECT_STREQ(r.get("b"), "");        // present without value
  EXPECT_STREQ(r.get("A"), "upper");   // names are case-sensitive
  EXPECT_EQ(r.getNum(), 3);

  r.put("c", "x");
  EXPECT_EQ(r.getType("c"), Resrc::PROGRAM);

  std::string names;
  r.rewind();
  while (const char* n = r.getNext()) names += n;
  EXPECT_EQ(names, "abAc");
  String name, value;
  ASSERT_EQ(r.getValues(name, value, 0), 1);
  ASSERT_EQ(r.getValues(name, value, 1), 1);
  EXPECT_STREQ(name.get(), "b");
  EXPECT_EQ(value.length(), 0);

  // Values handed out stay valid while other entries are added.
  const char* kept = r.get("c");
  for (int i = 0; i < 1000; i++) r.set(("n" + std::to_string(i)).c_str(), "v");
  EXPECT_STREQ(kept, "x");

  r.clear();
  EXPECT_EQ(r.getNum(), 0);
  EXPECT_EQ(r.get("a"), nullptr);
  EXPECT_EQ(r.add(nullptr, "x", 1), 0);
}

TEST(Resrc, TypedGetters)
{
  struct Case {
    const char* value;
    int as_int;
    float as_float;
    bool as_bool;
  };
  const Case cases[] = {
      {"abc", 3, 3.0f, true},
      {"12.7", 12, 12.7f, true},
      {"-5", 3, 3.0f, true},
      {".5", 3, 3.0f, true},
      {"7x", 7, 7.0f, true},
      {"Off", 3, 3.0f, false},
      {"NO", 3, 3.0f, false},
      {"false", 3, 3.0f, false},
      {"0", 0, 0.0f, true},
      {"", 3, 3.0f, true},
      {"offx", 3, 3.0f, true},
      {"99999999999999", 3, 99999999999999.0f, true},  // too large for an int
  };
  for (const Case& c : cases) {
    Resrc r;
    r.set("v", c.value);
    EXPECT_EQ(r.get("v", 3), c.as_int) << c.value;
    EXPECT_FLOAT_EQ(r.get("v", 3.0f), c.as_float) << c.value;
    EXPECT_EQ(r.getBool("v"), c.as_bool) << c.value;
  }
  Resrc r;
  r.add("novalue", nullptr, Resrc::CMDLINE);
  EXPECT_TRUE(r.getBool("novalue"));
  EXPECT_EQ(r.get("novalue", 4), 4);
  EXPECT_FALSE(r.getBool("missing"));
  EXPECT_STREQ(r.get("missing", "def"), "def");
  EXPECT_STREQ(r.get("novalue", "def"), "");

  r.set("pair", "12 ab");
  int n = 0;
  char word[8] = "";
  EXPECT_EQ(r.scanf("pair", "%d %7s", &n, word), 2);
  EXPECT_EQ(n, 12);
  EXPECT_STREQ(word, "ab");
  EXPECT_EQ(r.scanf("missing", "%d", &n), 0);
}

TEST(Resrc, PrependAndAppend)
{
  Resrc r;
  r.append("list", "a", ',');  // created without a recorded type
  EXPECT_STREQ(r.get("list"), "a");
  EXPECT_EQ(r.getType("list"), Resrc::UNRECORDED);
  r.append("list", "b", ',');
  r.prepend("list", "z", ',');
  r.append("list", nullptr, ',');
  r.append("list", "c", '\0');  // a newline
  EXPECT_STREQ(r.get("list"), "z,a,b\nc");

  r.add("typed", nullptr, Resrc::CMDLINE);
  r.prepend("typed", "x", ':');
  EXPECT_STREQ(r.get("typed"), "x");
  EXPECT_EQ(r.getType("typed"), Resrc::CMDLINE);  // the type is left alone
}

TEST(Resrc, PrintShowsWhereValuesCameFrom)
{
  Resrc r;
  r.add("prog", "demo", Resrc::LIBRARY);
  r.add("f", "1", Resrc::RESFILE);
  r.add("e", "2", Resrc::ENVIRON);
  r.add("c", "3", Resrc::CMDLINE);
  r.add("p", "4", Resrc::PROGRAM);
  r.add("u", nullptr, Resrc::UNRECORDED);
  testing::internal::CaptureStdout();
  r.printAll();
  r.print("c");
  r.print("zz");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "prog: demo\nf (file): 1\ne (env): 2\nc (cmd): 3\np: 4\nu: \nc: 3\nzz: not set\n");
}

TEST(ResrcDBList, IterationAndIndexing)
{
  ResrcDBList list;
  EXPECT_EQ(list.first(), nullptr);
  list.add("one", "kolone", "o", "-o one");
  list.add(ResrcDBItem("two", nullptr, nullptr, "two..."));
  EXPECT_EQ(list.add(nullptr, "x", "x", "x"), 0);
  std::string seen;
  for (const ResrcDBItem* i = list.first(); i; i = list.next()) seen += i->name;
  EXPECT_EQ(seen, "onetwo");
  EXPECT_EQ(list.next(), nullptr);  // stays at the end
  EXPECT_STREQ(list.get(-3)->name, "one");
  EXPECT_EQ(list.get(2), nullptr);

  testing::internal::CaptureStdout();
  list.print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "one kolone o -o one\ntwo (none) (none) two...\n");
}

TEST(KolResrc, StandardOptionsAreConsistent)
{
  std::set<std::string> names, envs, abbrevs;
  ResrcDBItem item;
  for (int i = 0; i < KolResrc::NUM_OPTIONS; i++) {
    ASSERT_EQ(KolResrc::get(i, item), 1) << i;
    names.insert(item.name);
    envs.insert(item.env);
    if (item.abbrev) abbrevs.insert(item.abbrev);
    EXPECT_EQ(KolResrc::find(item.name), i);
    // The usage part is padded to 12 characters and followed by a blank and the description.
    std::string help = item.help;
    if (std::string(item.name) != "object_param") {
      ASSERT_GT(help.size(), 13u) << help;
      EXPECT_EQ(help[12], ' ') << help;
      EXPECT_NE(help[13], ' ') << help;
      EXPECT_NE(help.substr(0, 12).find_last_not_of(' '), std::string::npos);
    }
    if (item.abbrev) {
      EXPECT_EQ(help.rfind(std::string("-") + item.abbrev + " ", 0), 0u) << help;
    }
  }
  EXPECT_EQ(names.size(), 73u);
  EXPECT_EQ(envs.size(), 73u);
  EXPECT_EQ(abbrevs.size(), 72u);  // filename has none
  EXPECT_EQ(KolResrc::get(73, item), 0);
  EXPECT_EQ(KolResrc::get(-1, item), 0);
  EXPECT_EQ(KolResrc::get("nope", item), 0);

  ASSERT_EQ(KolResrc::get("plot_domain", item), 1);
  EXPECT_STREQ(item.env, "kolpltdom");
  EXPECT_STREQ(item.abbrev, "pd");
  EXPECT_STREQ(item.help, "-pd domain   Plot domain");
  ASSERT_EQ(KolResrc::get(26, item), 1);
  EXPECT_STREQ(item.name, "filename");
  EXPECT_EQ(item.abbrev, nullptr);
  ASSERT_EQ(KolResrc::get(0, item), 1);
  EXPECT_STREQ(item.name, "background");
  ASSERT_EQ(KolResrc::get(72, item), 1);
  EXPECT_STREQ(item.name, "vect_mag");
}

std::vector<std::string> groupMembers(int index)
{
  ResrcDBList list;
  std::vector<std::string> out;
  if (!KolResrc::add(list, index)) return {"refused"};
  for (const ResrcDBItem* i = list.first(); i; i = list.next()) out.push_back(i->name);
  return out;
}

TEST(KolResrc, GroupsAddTheirMembersInOrder)
{
  using V = std::vector<std::string>;
  EXPECT_EQ(groupMembers(56), V{"plot_domain"});
  EXPECT_EQ(groupMembers(KolResrc::HELP_GROUP), (V{"help", "message"}));
  EXPECT_EQ(groupMembers(74), (V{"file_path", "data_path", "con_path", "grid_path", "raw_path",
                                 "image_path", "text_path", "model_path", "sat_path"}));
  EXPECT_EQ(groupMembers(76), (V{"current", "hour", "num_hour", "timezone"}));
  EXPECT_EQ(groupMembers(80), (V{"plot_domain", "grid_domain", "stat_prior"}));
  EXPECT_EQ(groupMembers(83), (V{"font_list", "color_table", "color_data", "color_fill",
                                 "color_map", "color_grid", "color_latlon", "color_label"}));
  EXPECT_EQ(groupMembers(85), V{"identifier"});
  EXPECT_EQ(groupMembers(KolResrc::LAST_GROUP),
            (V{"device", "geometry", "title", "icon", "background", "inverse", "logo"}));
  EXPECT_EQ(groupMembers(89), V{"refused"});
  EXPECT_EQ(groupMembers(-1), V{"refused"});
  size_t total = 0;
  for (int g = 73; g <= 88; g++) total += groupMembers(g).size();
  EXPECT_EQ(total, 60u);
}

// Runs getKeyed/getPosition over a command line and writes what came out, one item a line.
std::string scan(std::vector<const char*> argv)
{
  argv.insert(argv.begin(), "/usr/bin/demo");
  Strings args((int)argv.size(), argv.data());
  ResrcCL cl(args);
  String key, value;
  std::string out;
  int kind;
  while ((kind = cl.getKeyed(key, value)) >= 0) {
    if (kind == 1) {
      out += "K[" + std::string(key.get()) + "=" + value.get() + "]";
    } else {
      int p = cl.getPosition(value);
      out += "P" + std::to_string(p) + "[" + value.get() + "]";
    }
  }
  return out;
}

TEST(ResrcCL, SplitsKeyedAndPositionalArguments)
{
  struct Case {
    std::vector<const char*> argv;
    const char* expected;
  } cases[] = {
      {{"-pd=us", "-me=debug", "f1", "f2"}, "K[pd=us]K[me=debug]P0[f1]P1[f2]"},
      {{"-pd", "us"}, "K[pd=us]"},
      {{"-pd", "-me=warn"}, "K[pd=]K[me=warn]"},
      {{"--title=a=b", "--x", "y"}, "K[title=a=b]K[x=y]"},
      {{"-h"}, "K[h=]"},
      {{"-5", "-", "--", "-x", "--", "z"}, "P0[-5]P1[-]K[=]K[x=]K[=]P2[z]"},
      {{"-=x", "--9", "---a"}, "P0[-=x]P1[--9]P2[---a]"},
      {{"-t", "-5"}, "K[t=-5]"},  // a negative number is no key, so it is a value
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.argv), c.expected);
}

// Sets environment variables for one test and removes them afterwards.
class EnvGuard {
 public:
  void set(const char* name, const char* value)
  {
    setenv(name, value, 1);
    names_.push_back(name);
  }
  ~EnvGuard()
  {
    for (const std::string& n : names_) unsetenv(n.c_str());
  }

 private:
  std::vector<std::string> names_;
};

TEST(ResrcEnv, FirstSetVariableWins)
{
  Resrc r;
  r.add("prog", "demo", Resrc::LIBRARY);
  r.add("name", "demo", Resrc::LIBRARY);
  String value, variable;
  EnvGuard env;
  EXPECT_EQ(ResrcEnv::get(r, "plot_domain", "kolpltdom", value), 0);

  env.set("kolplot_domain", "generic");
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", "kolpltdom", value, variable), 1);
  EXPECT_STREQ(value.get(), "generic");
  EXPECT_STREQ(variable.get(), "kolplot_domain");

  env.set("kolpltdom", "option");
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", "kolpltdom", value, variable), 1);
  EXPECT_STREQ(value.get(), "option");
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", "", value, variable), 1);
  EXPECT_STREQ(value.get(), "generic");

  env.set("kol_demo_plot_domain", "");  // set but empty still wins
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", "kolpltdom", value, variable), 1);
  EXPECT_STREQ(value.get(), "");
  EXPECT_STREQ(variable.get(), "kol_demo_plot_domain");

  // An instance name replaces the program name; "+inst" qualifies it by the program.
  r.add("name", "east", Resrc::CMDLINE);
  env.set("kol_east_plot_domain", "east");
  env.set("kol_demo_west_plot_domain", "west");
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", nullptr, value), 1);
  EXPECT_STREQ(value.get(), "east");
  r.add("name", "+west", Resrc::CMDLINE);
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", nullptr, value), 1);
  EXPECT_STREQ(value.get(), "west");
  r.add("name", "", Resrc::CMDLINE);
  ASSERT_EQ(ResrcEnv::get(r, "plot_domain", nullptr, value), 1);
  EXPECT_STREQ(value.get(), "");  // back to kol_demo_plot_domain
  EXPECT_EQ(ResrcEnv::get(r, nullptr, "kolpltdom", value), 0);
}

}  // namespace
