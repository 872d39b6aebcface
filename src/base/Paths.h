#pragma once

#include <initializer_list>
#include <string>

namespace pelaryn {

// The program folder joined with the parts of one of the game's own file names, with the
// platform's separator ("…/sound/title.mid").
std::string InProgramFolder(const std::string& folder, std::initializer_list<const char*> parts);

// A path from the settings as a file to open: a relative one names a file in the program folder,
// an absolute or empty one stays as it is. The process's working directory never matters.
std::string ResolveInProgramFolder(const std::string& folder, const std::string& path);

}  // namespace pelaryn
