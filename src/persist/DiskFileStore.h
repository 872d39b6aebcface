#pragma once

#include <string>

#include "base/Platform.h"

namespace pelaryn {

// The files in a folder on disk, made with the first save when it does not exist yet. With a
// fallback folder, the files go there instead whenever the main folder cannot be written, and
// are read from there too when they exist there. An empty folder name holds nothing: every save
// fails and says so.
class DiskFileStore : public FileStore {
 public:
  explicit DiskFileStore(std::string folder, std::string fallback = {});

  std::optional<std::string> Read(std::string_view name) override;
  bool Write(std::string_view name, std::string_view bytes, std::string& error) override;

  // True once the files live in the fallback folder.
  bool UsingFallback() const;

 private:
  bool WriteIn(const std::string& folder, std::string_view name, std::string_view bytes,
               std::string& error);

  std::string folder_;
  std::string fallback_;
  bool folderRefused_ = false;
};

// The per-user folder for the game's files: $XDG_DATA_HOME/pelaryn, else
// ~/.local/share/pelaryn; empty when neither variable names a folder.
std::string UserDataFolder();

// Largest settings or ranking file we read; anything bigger is not one of ours.
inline constexpr std::size_t MaxStoredFileSize = 1 << 20;

}  // namespace pelaryn
