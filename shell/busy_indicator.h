// What the Qt window shows of long work: no input reaches the application
// while it runs, and once it has lasted (BusyPolicy decides how long) a
// progress dialog without a cancel button counts the files.
#pragma once

#include <cstddef>

#include "window/window_port.h"

class QProgressDialog;
class QWidget;

namespace quillon {

class InputRefusal;

class BusyIndicator final : public BusyView {
 public:
  // `window` owns what the indicator shows and must outlive it.
  explicit BusyIndicator(QWidget& window) : m_window(window) {}

  void BusyStarted() override;
  void ShowProgress(std::size_t done, std::size_t total) override;
  void RepaintWhileBusy() override;
  void BusyEnded(bool progressShown) override;

  // While one lives, the user's input is taken, so that a message box or
  // the retry dialog shown in the middle of long work can be answered.
  class InputAllowed {
   public:
    explicit InputAllowed(BusyIndicator& busy) : m_refuse(busy.m_refuseInput), m_was(m_refuse) {
      m_refuse = false;
    }
    ~InputAllowed() { m_refuse = m_was; }
    InputAllowed(const InputAllowed&) = delete;
    InputAllowed& operator=(const InputAllowed&) = delete;

   private:
    bool& m_refuse;
    bool m_was;
  };

 private:
  QWidget& m_window;
  bool m_refuseInput = false;
  InputRefusal* m_inputRefusal = nullptr;  // owned by the window
  QProgressDialog* m_progress = nullptr;   // owned by the window while shown
};

}  // namespace quillon
