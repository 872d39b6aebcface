#include "base/ProgramLayout.h"

#include <filesystem>

namespace pelaryn {

ProgramLayout FindProgramLayout(const std::string& programFolder,
                                const std::string& dataFromProgram, const std::string& userFolder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path program(programFolder);
  if (!programFolder.empty() && !dataFromProgram.empty() && !fs::exists(program / "back.bmp", ec)) {
    // The program folder is already the real one; a clean name reads better in the settings.
    const fs::path data = (program / dataFromProgram).lexically_normal();
    if (fs::is_directory(data, ec)) {
      std::string folder = data.string();
      if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      return {folder, userFolder, {}, true};
    }
  }
  return {programFolder, programFolder, userFolder, false};
}

}  // namespace pelaryn
