#pragma once

#include <string>

namespace pelaryn {

// Where the game finds its own files and keeps the player's.
struct ProgramLayout {
  // back.bmp, sound/ and the manual; relative paths in the settings resolve against it.
  std::string DataFolder;
  // Where pelaryn.cfg and pelaryn.sco are written, and `SaveFallback` where they go when that
  // folder refuses them (empty: no second choice).
  std::string SaveFolder;
  std::string SaveFallback;
  bool Installed = false;
};

// The game is installed when its program folder holds no back.bmp and the data folder
// `dataFromProgram` (relative to the program folder, such as "../share/pelaryn") exists: then
// the data is read from there and the player's files always live in `userFolder`, since an
// installation is shared and may be replaced by the next one. Otherwise (a build tree, an unpacked
// folder) everything stays beside the program, and `userFolder` only takes the player's files
// when the program folder cannot be written.
ProgramLayout FindProgramLayout(const std::string& programFolder,
                                const std::string& dataFromProgram, const std::string& userFolder);

}  // namespace pelaryn
