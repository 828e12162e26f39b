#include "shell/quillon_app.h"

#include <malloc.h>

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include "platform/posix/posix_arguments.h"
#include "platform/posix/posix_file_dates.h"
#include "shell/app_icon.h"
#include "shell/posix_opener.h"
#include "shell/quillon_window.h"

namespace quillon {

namespace {

// Opens centred in the work area of the screen, its top-left corner kept
// inside that area when the window is larger.
void CentreOnScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window.frameSize();
  window.move(std::max(area.left(), area.left() + (area.width() - size.width()) / 2),
              std::max(area.top(), area.top() + (area.height() - size.height()) / 2));
}

}  // namespace

void CQuillonApp::ReturnFreedMemory() {
  // A command on many rows builds lists of a few megabytes and frees them
  // again. glibc raises its mmap threshold to the largest block freed so far,
  // after which such lists come from the heap and stay resident once freed;
  // a fixed threshold keeps every large list in a mapping of its own.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
}

int CQuillonApp::InitInstance(const std::vector<std::string>& arguments) {
  // Desktops without a platform theme use plain hicolor, which has no icons
  // for file types.
  if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == u"hicolor") {
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
  }
  QGuiApplication::setWindowIcon(AppIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));

  XdgOpener opener;
  PosixFileDateReader dates;
  QuillonWindow window(opener, &dates);
  CentreOnScreen(window);
  window.show();

  // A run a crash cut short is settled before any file is taken, so that
  // its files are where the user expects them.
  const std::vector<std::u16string> paths = ArgumentsToPaths(arguments, CurrentDirectoryBytes());
  QTimer::singleShot(0, &window, [&window, &paths] {
    window.RecoverInterruptedRuns();
    if (!paths.empty()) window.DropFiles(paths);
  });
  return QApplication::exec();
}

}  // namespace quillon
