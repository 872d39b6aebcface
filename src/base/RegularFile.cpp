#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace pelaryn {

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize,
                                           std::string& why) {
  if (path.empty()) {
    why = "no file named";
    return std::nullopt;
  }
  // Non-blocking, so that opening a FIFO with no writer returns at once instead of waiting.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = "is not a regular file";
  } else if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > maxSize) {
    why = "is larger than " + std::to_string(maxSize) + " bytes";
  } else {
    std::string data(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    bool failed = false;
    while (got < data.size()) {
      const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        why = std::strerror(errno);
        failed = true;
      }
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    // A file that shrank while it was read is taken as it now is.
    data.resize(got);
    if (!failed) bytes = std::move(data);
  }
  ::close(fd);
  return bytes;
}

bool IsWritableOutput(const std::string& path, std::string& why) {
  namespace fs = std::filesystem;
  if (path.empty()) {
    why = "no file named";
    return false;
  }
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::exists(status)) {
    if (!fs::is_regular_file(status)) {
      why = "is not a regular file";
      return false;
    }
    return true;
  }
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::is_directory(folder, ec)) {
    why = "its folder " + folder.string() + " does not exist";
    return false;
  }
  return true;
}

bool FileWarnings::Warn(std::string_view what, const std::string& path, std::string_view why) {
  if (!named_.insert(path).second) return false;
  std::fprintf(stderr, "%s: cannot use %.*s %s: %.*s\n", program_.c_str(),
               static_cast<int>(what.size()), what.data(), path.c_str(),
               static_cast<int>(why.size()), why.data());
  return true;
}

}  // namespace pelaryn
