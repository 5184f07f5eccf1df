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

  // Values handed out stay valid while other entries are added.
  const char* kept = r.get("c");
  for (int i = 0; i < 1000; i++) r.set(("n" + std::to_string(i)).c_str(), "v");
  EXPECT_STREQ(kept, "x");

  r.clear();
  EXPECT_EQ(r.get("a"), nullptr);
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
      {".5", 3, 3.0f, true},
      {"7x", 7, 7.0f, true},
      {"Off", 3, 3.0f, false},
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
    if (item.abbrev) {
      EXPECT_EQ(std::string(item.help).rfind(std::string("-") + item.abbrev + " ", 0), 0u);
    }
  }
  // Names, variables and abbreviations are unique; only filename has no abbreviation.
  EXPECT_EQ(names.size(), size_t{KolResrc::NUM_OPTIONS});
  EXPECT_EQ(envs.size(), names.size());
  EXPECT_EQ(abbrevs.size(), names.size() - 1);
  EXPECT_EQ(KolResrc::get(KolResrc::NUM_OPTIONS, item), 0);
  EXPECT_EQ(KolResrc::get(-1, item), 0);
  ASSERT_EQ(KolResrc::get("plot_domain", item), 1);
  EXPECT_STREQ(item.env, "kolpltdom");
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
  EXPECT_EQ(groupMembers(76), (V{"current", "hour", "num_hour", "timezone"}));
  EXPECT_EQ(groupMembers(KolResrc::LAST_GROUP),
            (V{"device", "geometry", "title", "icon", "background", "inverse", "logo"}));
  EXPECT_EQ(groupMembers(89), V{"refused"});
  EXPECT_EQ(groupMembers(-1), V{"refused"});
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
  } cases[] = {{{"-pd=us", "-me=debug", "f1", "f2"}, "K[pd=us]K[me=debug]P0[f1]P1[f2]"},
               {{"-pd", "us"}, "K[pd=us]"},
               {{"-pd", "-me=warn"}, "K[pd=]K[me=warn]"},
               {{"--title=a=b", "--x", "y"}, "K[title=a=b]K[x=y]"},
               {{"-h"}, "K[h=]"},
               {{"-5", "-", "--", "-x", "--", "z"}, "P0[-5]P1[-]K[=]K[x=]K[=]P2[z]"},
               {{"-=x", "--9", "---a"}, "P0[-=x]P1[--9]P2[---a]"},
               {{"-t", "-5"}, "K[t=-5]"},  // a negative number is no key, so it is a value
               {{}, ""}};
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
