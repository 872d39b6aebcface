#include "platform/desktop/ui/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace pelaryn {

std::string TrimAtNull(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string DirectoryOf(std::string_view path) {
  std::string result;
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (c == '\\' || c == '/') {
      result = path.substr(0, i);
      // A file in the root of a Unix path: the root itself, not the chooser's default.
      if (i == 0 && c == '/') return "/";
      if (result.size() == 1) result += c;
      return result;
    }
    if (c == ':') {
      result = std::string(path.substr(0, i + 1)) + '\\';
      return result;
    }
  }
  return result;
}

std::vector<std::string> NameFilters(std::string_view filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = filter.find('|', start);
    parts.emplace_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::vector<std::string> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns = parts[i + 1];
    for (char& c : patterns) {
      if (c == ';') c = ' ';
    }
    filters.push_back(parts[i] + " (" + patterns + ")");
  }
  return filters;
}

std::string ShowOpenFileDialog(QWidget& owner, const std::string& title, std::string_view filter,
                               const std::string& initialDir) {
  QFileDialog dialog(&owner, QString::fromStdString(title), QString::fromStdString(initialDir));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The descriptions already list their patterns; Qt's copy of them would only repeat it.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  QStringList filters;
  for (const std::string& f : NameFilters(filter)) filters << QString::fromStdString(f);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return TrimAtNull(dialog.selectedFiles().constFirst().toStdString());
}

}  // namespace pelaryn
