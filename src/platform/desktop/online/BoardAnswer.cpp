#include "platform/desktop/online/BoardAnswer.h"

#include <QCoreApplication>
#include <nlohmann/json.hpp>

namespace pelaryn {

SubmitOutcome ReadSubmitAnswer(int status, const QByteArray& body) {
  SubmitOutcome outcome;
  const nlohmann::json json = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
  const auto text = [&json](const char* key) {
    if (!json.is_object() || !json.contains(key) || !json[key].is_string()) return QString();
    return QString::fromStdString(json[key].get<std::string>());
  };
  const auto number = [&json](const char* key) -> long long {
    if (!json.is_object() || !json.contains(key) || !json[key].is_number_integer()) return 0;
    return json[key].get<long long>();
  };
  outcome.Id = number("id");
  if (status == 201) {
    // A stored run whose answer cannot be read is still stored: sending it again gives a 409.
    outcome.What = SubmitOutcome::Kind::Ranked;
    outcome.Rank = static_cast<int>(number("rank"));
    outcome.Board = text("board");
  } else if (status == 409) {
    outcome.What = SubmitOutcome::Kind::Duplicate;
  } else if (status == 429 || status == 408) {
    // The run is fine; this address only sent too many at once.
    outcome.What = SubmitOutcome::Kind::Retry;
  } else if (status >= 400 && status < 500) {
    outcome.What = SubmitOutcome::Kind::Refused;
    outcome.Reason = text("error");
    if (outcome.Reason.isEmpty()) outcome.Reason = QStringLiteral("HTTP %1").arg(status);
  } else {
    outcome.What = SubmitOutcome::Kind::Retry;
  }
  return outcome;
}

QUrl BoardUrl(const QString& server, const QString& path) {
  QUrl url(server);
  QString base = url.path();
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  url.setPath(base + path);
  return url;
}

QUrl SubmitUrl(const QString& server, const QString& name) {
  QUrl url = BoardUrl(server, QStringLiteral("/api/v1/runs"));
  // Encoded whole, so that a "&" or "+" in a name stays part of it.
  if (!name.isEmpty()) {
    url.setQuery(QStringLiteral("name=") + QString::fromLatin1(QUrl::toPercentEncoding(name)),
                 QUrl::StrictMode);
  }
  return url;
}

QString OutcomeNote(const SubmitOutcome& outcome) {
  switch (outcome.What) {
    case SubmitOutcome::Kind::Ranked:
      return QCoreApplication::translate("pelaryn::BoardAnswer", "オンライン %1位 (%2)")
          .arg(outcome.Rank)
          .arg(outcome.Board);
    case SubmitOutcome::Kind::Duplicate:
      return QCoreApplication::translate("pelaryn::BoardAnswer",
                                         "オンライン: このゲームはすでにボードにあります");
    case SubmitOutcome::Kind::Refused:
      return QCoreApplication::translate("pelaryn::BoardAnswer",
                                         "オンライン: 受け付けられませんでした: %1")
          .arg(outcome.Reason);
    case SubmitOutcome::Kind::Retry:
      break;
  }
  return QCoreApplication::translate("pelaryn::BoardAnswer",
                                     "オンライン: サーバーに届きませんでした。あとで送ります");
}

}  // namespace pelaryn
