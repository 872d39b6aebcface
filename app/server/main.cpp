// pelaryn-server: the online score board that ranks a game only after replaying it.

#include <string>
#include <vector>

#include "server/http/ServerMain.h"

int main(int argc, char** argv) {
  return pelaryn::ServerMain(std::vector<std::string>(argv + 1, argv + argc));
}
