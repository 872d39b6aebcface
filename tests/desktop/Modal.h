#pragma once

// Helpers for driving the game's modal windows from a test: the window's own event loop runs the
// test's hand.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace pelaryn::testing {

// Runs `act` on the next modal window of type W once it is open, from inside its event loop.
template <typename W>
void OnNextModal(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!window) return;
    timer->stop();
    timer->deleteLater();
    act(*window);
  });
  timer->start();
}

template <typename T>
T& Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromUtf8(name));
  if (!child) {
    ADD_FAILURE() << "no control " << name;
    std::abort();
  }
  return *child;
}

inline void Click(QWidget& parent, const char* name) {
  Child<QAbstractButton>(parent, name).click();
}

inline std::string TextOf(QWidget& parent, const char* name) {
  return Child<QLabel>(parent, name).text().toStdString();
}

// Every label and button shows its whole caption: nothing clipped at the window's own size.
// With PELARYN_SCREENSHOTS set, the window is also saved there as a picture to look at.
inline void ExpectCaptionsFit(QWidget& window, const char* file) {
  window.adjustSize();
  window.show();
  QApplication::processEvents();
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (label->text().isEmpty() || !label->isVisibleTo(&window)) continue;
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
        << label->objectName().toStdString();
  }
  for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (!button->isVisibleTo(&window)) continue;
    // A push button's hint includes the style's minimum width, which small ".." buttons skip.
    const int needed = qobject_cast<QPushButton*>(button)
                           ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                           : button->sizeHint().width();
    EXPECT_GE(button->width(), needed) << button->objectName().toStdString();
    EXPECT_GE(button->height(), button->sizeHint().height()) << button->objectName().toStdString();
  }
  if (const QByteArray dir = qgetenv("PELARYN_SCREENSHOTS"); !dir.isEmpty()) {
    window.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QString::fromUtf8(file));
  }
}

}  // namespace pelaryn::testing
