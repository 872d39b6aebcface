#include "platform/desktop/Language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTranslator>

namespace pelaryn {

Language SystemLanguage(const QStringList& uiLanguages) {
  for (const QString& name : uiLanguages) {
    const QString language = name.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    if (language.compare(QStringLiteral("en"), Qt::CaseInsensitive) == 0) return Language::English;
    if (language.compare(QStringLiteral("ja"), Qt::CaseInsensitive) == 0) return Language::Japanese;
  }
  return Language::Japanese;
}

Language ChosenLanguage(LanguageChoice choice, const QStringList& uiLanguages) {
  switch (choice) {
    case LanguageChoice::Japanese:
      return Language::Japanese;
    case LanguageChoice::English:
      return Language::English;
    case LanguageChoice::System:
      break;
  }
  return SystemLanguage(uiLanguages);
}

QString LanguageChoiceText(LanguageChoice choice) {
  switch (choice) {
    case LanguageChoice::Japanese:
      return QStringLiteral("ja");
    case LanguageChoice::English:
      return QStringLiteral("en");
    case LanguageChoice::System:
      break;
  }
  return QStringLiteral("system");
}

bool LanguageChoiceFromText(const QString& text, LanguageChoice& out) {
  for (const LanguageChoice choice :
       {LanguageChoice::System, LanguageChoice::Japanese, LanguageChoice::English}) {
    if (text == LanguageChoiceText(choice)) {
      out = choice;
      return true;
    }
  }
  return false;
}

QFont WindowFont(Language language) {
  QFont font(QStringLiteral("IPAPGothic"));
  if (language == Language::English) {
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic")});
  }
  font.setPointSize(9);
  return font;
}

Translation::Translation() : translator_(std::make_unique<QTranslator>()) {}

Translation::~Translation() {
  if (installed_) QCoreApplication::removeTranslator(translator_.get());
  if (current_ != Language::Japanese) QApplication::setFont(WindowFont(Language::Japanese));
}

bool Translation::Use(Language language) {
  if (installed_) {
    QCoreApplication::removeTranslator(translator_.get());
    installed_ = false;
  }
  current_ = Language::Japanese;
  if (language != Language::Japanese && translator_->load(QStringLiteral(":/i18n/pelaryn_en.qm"))) {
    installed_ = QCoreApplication::installTranslator(translator_.get());
    if (installed_) current_ = language;
  }
  QApplication::setFont(WindowFont(current_));
  return current_ == language;
}

}  // namespace pelaryn
