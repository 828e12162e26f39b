#include "shell/busy_indicator.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "resources/strings.h"
#include "shell/qt_text.h"

namespace quillon {

namespace {

// What a user can do to a window: none of it reaches the window while work
// runs. Paint, resize and timer events still do, so the window keeps
// repainting.
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Watches every event of the application while work runs and refuses the
// user's input; a message box shown meanwhile clears `refuse` for as long as
// it asks.
class InputRefusal : public QObject {
 public:
  InputRefusal(const bool& refuse, QObject* parent) : QObject(parent), m_refuse(refuse) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Closing the window or its progress would not stop the work, only hide
    // it.
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool closing = event->type() == QEvent::Close && widget != nullptr &&
                         (widget == parent() || widget->parentWidget() == parent());
    if (m_refuse && (closing || IsUserInput(event->type()))) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const bool& m_refuse;
};

void BusyIndicator::BusyStarted() {
  m_refuseInput = true;
  if (m_inputRefusal == nullptr) m_inputRefusal = new InputRefusal(m_refuseInput, &m_window);
  qApp->installEventFilter(m_inputRefusal);
}

void BusyIndicator::ShowProgress(std::size_t done, std::size_t total) {
  if (m_progress == nullptr) {
    m_progress = new QProgressDialog(&m_window);
    m_progress->setWindowTitle(Q(str::kAppTitle));
    m_progress->setCancelButton(nullptr);  // a run is never cut halfway
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setWindowFlag(Qt::WindowCloseButtonHint, false);
    m_progress->show();
  }
  m_progress->setMaximum(static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
  m_progress->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
  m_progress->setLabelText(Q(ProgressText(done, total, u"\n")));
}

void BusyIndicator::RepaintWhileBusy() {
  // Paints, and takes in the input that arrived meanwhile, which the event
  // filter refuses.
  QApplication::processEvents();
}

void BusyIndicator::BusyEnded(bool) {
  qApp->removeEventFilter(m_inputRefusal);
  m_refuseInput = false;
  if (m_progress != nullptr) {
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
  }
}

}  // namespace quillon
