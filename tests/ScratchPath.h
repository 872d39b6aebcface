#pragma once

// Scratch files of a test carry the process's id in their names: test runs of several builds on
// one machine must never overwrite, read or remove each other's files.

#include <unistd.h>

#include <filesystem>
#include <string>

namespace pelaryn::testing {

inline std::filesystem::path ScratchPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("pelaryn-" + std::to_string(::getpid()) + "-" + name);
}

// A folder of this process's own, empty when made and removed with everything in it when done.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) : path_(ScratchPath(name)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace pelaryn::testing
