#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace pelaryn {

// The text up to its first NUL character; all of it when it has none.
std::string TrimAtNull(std::string_view text);

// The folder part of a path, where the file chooser starts: everything before the last
// separator ('\\' or '/'); a drive ("D:1.mid") gives the drive and a backslash; a one-character
// folder keeps its separator ("a\\1.mid" gives "a\\", "/1.mid" gives "/"); a bare name gives "".
std::string DirectoryOf(std::string_view path);

// A filter written as "description|pattern|description|pattern…", patterns separated by ';', in
// the form Qt's file dialog takes: one "description (pattern pattern)" per pair. A description
// left without a pattern is dropped.
std::vector<std::string> NameFilters(std::string_view filter);

// Asks for one existing file: owner, title, filter as above, starting folder ("" for the
// chooser's default). The chosen full path, or "" when the player cancelled.
using FileChooser =
    std::function<std::string(QWidget& owner, const std::string& title, std::string_view filter,
                              const std::string& initialDir)>;

// The chooser the game uses: Qt's own file dialog, modal over its owner.
std::string ShowOpenFileDialog(QWidget& owner, const std::string& title, std::string_view filter,
                               const std::string& initialDir);

}  // namespace pelaryn
