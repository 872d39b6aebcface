#pragma once

#include <string>
#include <vector>

namespace pelaryn {

// `pelaryn-server` with these arguments (the program's own name not among them): serves the
// board, replays it again, removes a run, or is a verification worker. Returns the exit code:
// 0 done, 1 failed, 2 a command line it does not understand.
int ServerMain(const std::vector<std::string>& args);

}  // namespace pelaryn
