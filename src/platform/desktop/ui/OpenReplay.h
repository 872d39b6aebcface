#pragma once

#include <memory>
#include <string>

#include "replay/ReplayFile.h"

namespace pelaryn {

// Reads one replay file the player chose; none, with the reason in the language the windows
// speak now in `why`, when it cannot be played.
std::shared_ptr<const Replay> ReadReplay(const std::string& path, std::string& why);

}  // namespace pelaryn
