// Environment lookup of a resource: a variable qualified by program and instance, the option's
// own variable, or "kol" followed by the resource name.
#pragma once

namespace KOL {

class Resrc;
class String;

class ResrcEnv {
 public:
  // The value of the first variable that is set; 1 when found. The program and instance names
  // are the resources "prog" and "name"; env may be null or empty.
  static int get(const Resrc& resrc, const char* resource, const char* env, String& value);
  // The same, also giving the name of the variable that held the value.
  static int get(const Resrc& resrc, const char* resource, const char* env, String& value,
                 String& variable);
};

}  // namespace KOL
