// Matching of resource file entry patterns ("*.plot_domain", "demo.title") against the
// qualified name of a program's resource.
#pragma once

#include <string>
#include <string_view>

namespace KOL::ResrcPattern {

// "instance.resource", "prog.resource" when the instance is empty, or
// "prog.instance.resource" for an instance "+instance".
std::string qualify(std::string_view prog, std::string_view instance, std::string_view resource);

// Ordinary characters match exactly; '*' moves to the first later place where the text up to
// the next '*' occurs. Pattern and name must end together.
bool match(std::string_view pattern, std::string_view qualified);

// The resource a pattern names: the text after its last '.' or '*'.
std::string_view resource(std::string_view pattern);

}  // namespace KOL::ResrcPattern
