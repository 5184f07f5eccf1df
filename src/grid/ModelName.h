// The name of the model that made a field, from its producing centre and generating process,
// looked up in the model-name table "mod_name.lup" of the database directory. The last lookup
// is remembered.
#pragma once

namespace KOL {

class ModelName {
 public:
  static constexpr int NAME_SIZE = 20;
  static constexpr const char* FILE_NAME = "mod_name.lup";

  ModelName() { init(); }
  void init();
  // The name; "" when the table has none (or cannot be read, with a warning).
  const char* get(int centre, int process);
  // The centre and process of a model name (any case); 0 when the table has no such name.
  static int find(const char* name, int& centre, int& process);

 private:
  int centre_;
  int process_;
  char name_[NAME_SIZE];
};

}  // namespace KOL
