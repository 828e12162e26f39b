// Shared pieces of the window tests.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "shell/posix_opener.h"

namespace quillon::testing {

// Records what would have been opened; never starts a program.
class FakeOpener : public Opener {
 public:
  void Open(std::u16string_view pathOrAddress) override { opened.emplace_back(pathOrAddress); }
  std::vector<std::u16string> opened;
};

// Runs `answer` on the next modal dialog (or popup menu) once it is open.
// Gives up after a few seconds so that a test that never opens one fails
// instead of hanging.
inline void OnNextModal(std::function<void(QWidget*)> answer, int attemptsLeft = 500) {
  QTimer::singleShot(10, [answer = std::move(answer), attemptsLeft]() mutable {
    QWidget* modal = QApplication::activePopupWidget();
    if (modal == nullptr) modal = QApplication::activeModalWidget();
    if (modal != nullptr) {
      answer(modal);
    } else if (attemptsLeft > 0) {
      OnNextModal(std::move(answer), attemptsLeft - 1);
    }
  });
}

// Runs `action` and returns how many modal dialogs or popup menus opened
// while it ran, closing each. A dialog that `action` opens runs a nested
// loop in which the watch fires; once `action` has returned, nothing more
// can open, so no waiting is needed afterwards.
inline int ModalsOpenedDuring(const std::function<void()>& action) {
  int opened = 0;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&opened] {
    QWidget* modal = QApplication::activePopupWidget();
    if (modal == nullptr) modal = QApplication::activeModalWidget();
    if (modal != nullptr) {
      ++opened;
      modal->close();
    }
  });
  watch.start();
  action();
  return opened;
}

// The directory that main() made HOME and the XDG directories live in.
const std::string& ScratchHome();

}  // namespace quillon::testing
