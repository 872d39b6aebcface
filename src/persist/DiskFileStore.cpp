#include "persist/DiskFileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

std::string Reason(int error) {
  return std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

DiskFileStore::DiskFileStore(std::string folder, std::string fallback)
    : folder_(std::move(folder)), fallback_(std::move(fallback)) {}

bool DiskFileStore::UsingFallback() const {
  return !fallback_.empty() && (folderRefused_ || ::access(folder_.c_str(), W_OK) != 0);
}

std::optional<std::string> DiskFileStore::Read(std::string_view name) {
  // No folder is not the working directory.
  if (folder_.empty() && !UsingFallback()) return std::nullopt;
  std::string path = (fs::path(folder_) / name).string();
  if (UsingFallback()) {
    std::string inFallback = (fs::path(fallback_) / name).string();
    std::error_code ec;
    if (fs::exists(inFallback, ec)) path = std::move(inFallback);
  }
  // Only a regular file of sane size: a FIFO or a device would block or never end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::size_t>(info.st_size) <= MaxStoredFileSize) {
    std::string data(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < data.size()) {
      const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    bytes = std::move(data);
  }
  ::close(fd);
  return bytes;
}

bool DiskFileStore::Write(std::string_view name, std::string_view bytes, std::string& error) {
  if (!UsingFallback() && WriteIn(folder_, name, bytes, error)) return true;
  if (fallback_.empty()) return false;
  // The program's folder refused the file: from now on both files live in the player's folder.
  folderRefused_ = true;
  return WriteIn(fallback_, name, bytes, error);
}

bool DiskFileStore::WriteIn(const std::string& folder, std::string_view name,
                            std::string_view bytes, std::string& error) {
  if (folder.empty()) {
    error = std::string(name) + ": no folder to keep it in (neither XDG_DATA_HOME nor HOME is set)";
    return false;
  }
  // The player's folder appears with the first save; private, as the XDG rules ask of it.
  std::error_code ec;
  if (fs::create_directories(folder, ec)) fs::permissions(folder, fs::perms::owner_all, ec);
  const std::string path = (fs::path(folder) / name).string();
  std::string pattern = path + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = path + ": " + Reason(errno);
    return false;
  }
  // A file the player could read before should stay readable: mkstemp makes it private.
  ::fchmod(fd, 0644);
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int writeError = errno;
  ::close(fd);
  if (!written || ::rename(temp.data(), path.c_str()) != 0) {
    error = path + ": " + Reason(written ? errno : writeError);
    ::unlink(temp.data());
    return false;
  }
  SyncFolder(folder);
  return true;
}

std::string UserDataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return (fs::path(data) / "pelaryn").string();
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return (fs::path(home) / ".local" / "share" / "pelaryn").string();
  }
  return {};
}

}  // namespace pelaryn
