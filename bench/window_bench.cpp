// The whole program under load: the real main window on the offscreen
// platform, driven as a user would, with its peak memory and the time from
// a drop until its rows are on screen.
#include <dirent.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "dialog/dialog_port.h"
#include "resources/strings.h"
#include "shell/drop_target.h"
#include "shell/file_list_model.h"
#include "shell/posix_opener.h"
#include "shell/quillon_app.h"
#include "shell/quillon_window.h"

namespace quillon::bench {
namespace {

class NoOpener : public Opener {
 public:
  void Open(std::u16string_view) override {}
};

// The real window, but a message box answers itself: the benchmark has no
// user to close it.
class SessionWindow : public QuillonWindow {
 public:
  using QuillonWindow::QuillonWindow;
  void ShowMessage(std::u16string_view text) override { last = text; }
  std::u16string last;
};

// Drop data as it arrives from another program: the bytes of the source,
// fetched when asked for. (QMimeData::setData would turn a URI list into a
// list of QUrl objects, which no external drop does.)
class ForeignDropData : public QMimeData {
 public:
  explicit ForeignDropData(QByteArray uris) : m_uris(std::move(uris)) {}
  QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }
  bool hasFormat(const QString& type) const override {
    return type == QStringLiteral("text/uri-list");
  }

 protected:
  QVariant retrieveData(const QString& type, QMetaType) const override {
    return hasFormat(type) ? QVariant(m_uris) : QVariant();
  }

 private:
  QByteArray m_uris;
};

void Click(SessionWindow& window, ControlId id) {
  auto* button = static_cast<QPushButton*>(window.Control(static_cast<int>(id)));
  button->click();
  window.repaint();
}

std::size_t CountEntries(const std::string& path, const char* prefix) {
  std::size_t count = 0;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(dir))
      if (std::string_view(entry->d_name).starts_with(prefix)) ++count;
    ::closedir(dir);
  }
  return count;
}

}  // namespace

int RunWindowSession(int argc, char** argv, std::size_t n, const std::string& parent,
                     long targetMb) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  CQuillonApp::ReturnFreedMemory();
  QApplication app(argc, argv);
  ScratchDir dir(parent);
  for (std::size_t i = 0; i < n; ++i) dir.Create(SeriesName(i));

  NoOpener opener;
  SessionWindow window(opener);
  window.show();
  QApplication::processEvents();

  // What a file manager hands over: a URI per line, in its own order.
  double dropMs = 0;
  {
    QByteArray uris;
    uris.reserve(static_cast<qsizetype>(n * (dir.path.size() + 24)));
    for (std::size_t i = n; i-- > 0;) {
      uris.append("file://").append(dir.path.c_str()).append('/');
      uris.append(SeriesName(i).c_str()).append("\r\n");
    }
    ForeignDropData data(std::move(uris));
    QWidget* viewport = window.FileList()->viewport();
    const QPoint at = viewport->rect().center();
    const auto start = std::chrono::steady_clock::now();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    window.repaint();
    dropMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const auto rows = static_cast<std::size_t>(window.Model()->rowCount());

  static_cast<QLineEdit*>(window.Control(static_cast<int>(ControlId::kNameField)))
      ->setText(QStringLiteral("trip_0000001"));
  Click(window, ControlId::kGenerate);
  Click(window, ControlId::kExecute);
  const bool executed = window.last == str::kRenamed && CountEntries(dir.path, "trip_") == n;
  Click(window, ControlId::kUndo);
  const bool undone = window.last == str::kRestored && CountEntries(dir.path, "img_") == n;

  const long peak = PeakRssMb();
  std::printf("window: %zu rows, peak %ld MB, drop shown in %.0f ms  target < %ld MB  %s\n", rows,
              peak, dropMs, targetMb, peak < targetMb ? "ok" : "OVER");
  if (rows != n || !executed || !undone)
    std::printf("  (window session incomplete: %zu rows of %zu, execute %s, undo %s)\n", rows, n,
                executed ? "ok" : "failed", undone ? "ok" : "failed");
  std::fflush(stdout);
  return rows == n && executed && undone ? 0 : 1;
}

}  // namespace quillon::bench
