// The files of an image loop: the last n files a naming convention finds on disk, oldest first
// (the conventions' names sort by time).
#pragma once

#include <string>
#include <vector>

namespace KOL::imageplot {

std::vector<std::string> lastFiles(const char* convention, int n);

}  // namespace KOL::imageplot
