#include "base/Paths.h"

#include <filesystem>

namespace pelaryn {

std::string InProgramFolder(const std::string& folder, std::initializer_list<const char*> parts) {
  std::filesystem::path path(folder);
  for (const char* part : parts) path /= part;
  return path.string();
}

std::string ResolveInProgramFolder(const std::string& folder, const std::string& path) {
  const std::filesystem::path given(path);
  if (path.empty() || given.is_absolute() || folder.empty()) return path;
  return (std::filesystem::path(folder) / given).string();
}

}  // namespace pelaryn
