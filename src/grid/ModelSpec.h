// What a layer knows of a model named by the user ("nam", "gfs"): the producing centre and
// process of the model-name table and the naming convention of its grid files, "grid_" and the
// name in lower case, which finds them in the model's own folder.
#pragma once

namespace KOL {

class ModelSpec {
 public:
  static constexpr int NAME_SIZE = 20;
  static constexpr int CONV_SIZE = 30;

  ModelSpec() { init(); }
  explicit ModelSpec(const char* name) : ModelSpec() { set(name); }

  void init();
  // 1 when the table knows the model; an unknown model keeps its name but has no convention.
  int set(const char* name);
  const char* getName() const { return name; }
  // The naming convention of the model's grid files; "" when it has none.
  const char* getNameConv() const { return conv; }
  bool hasNameConv() const { return conv[0] != '\0'; }
  int getCentre() const { return centre; }
  int getProcess() const { return process; }
  void print() const;

 private:
  char name[NAME_SIZE];
  char conv[CONV_SIZE];
  int centre;
  int process;
};

}  // namespace KOL
