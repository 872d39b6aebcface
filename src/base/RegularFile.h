#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace pelaryn {

// The whole contents of a regular file no larger than `maxSize`. A directory, FIFO or device is
// refused before anything is read, since reading one may block for ever or never end. Nothing,
// with the reason in `why` ("is not a regular file", "is larger than …", the system's word),
// when the file cannot be used.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize,
                                           std::string& why);

// Whether `path` can be written as an output: an existing regular file, or a new name in an
// existing folder. False, with the reason in `why`, otherwise.
bool IsWritableOutput(const std::string& path, std::string& why);

// One line on stderr for each file the program wanted and could not use, the first time only:
// a missing piece that loops, or a background read at every new game, is named once.
class FileWarnings {
 public:
  explicit FileWarnings(std::string program) : program_(std::move(program)) {}
  // "PROGRAM: cannot use WHAT PATH: WHY"; false, saying nothing, when PATH was already named.
  bool Warn(std::string_view what, const std::string& path, std::string_view why);

 private:
  std::string program_;
  std::set<std::string> named_;
};

}  // namespace pelaryn
