#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <memory>

class QTranslator;

namespace pelaryn {

// The languages the windows speak. Japanese is the game's own: its texts are the source texts,
// shown as they are; English comes from the translation compiled into the program.
enum class Language { Japanese, English };

// The player's choice in the controls-and-sound window.
enum class LanguageChoice { System, Japanese, English };

// The first of the system's languages, in the user's order, that we have; Japanese when there
// is none (the C locale included).
Language SystemLanguage(const QStringList& uiLanguages);
Language ChosenLanguage(LanguageChoice choice, const QStringList& uiLanguages);

// For the preferences file: "system", "ja", "en"; false for any other text.
QString LanguageChoiceText(LanguageChoice choice);
bool LanguageChoiceFromText(const QString& text, LanguageChoice& out);

// The windows' face for `language`: IPA P Gothic, which holds every Japanese caption, or for
// English a Latin face with IPA P Gothic behind it for what it lacks (日本語 in the language
// list), so that Latin text and its "…" sit on the line as they are drawn for Latin letters.
QFont WindowFont(Language language);

// Installs the translation of `language` into the application (removing the one before), so
// that every text asked for from now on is in it, and the windows' face for it.
class Translation {
 public:
  Translation();
  ~Translation();
  Translation(const Translation&) = delete;
  Translation& operator=(const Translation&) = delete;

  // False when the English translation is not in the program (the windows stay Japanese).
  bool Use(Language language);
  Language Current() const { return current_; }

 private:
  std::unique_ptr<QTranslator> translator_;
  bool installed_ = false;
  Language current_ = Language::Japanese;
};

}  // namespace pelaryn
