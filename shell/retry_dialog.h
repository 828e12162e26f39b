// The dialog that asks the user to close the program holding a file open.
#pragma once

#include <QDialog>
#include <string_view>

namespace quillon {

// One static text with the message and one button, "再試行". Closing the
// dialog by its close box or Esc counts like the button: either way the
// caller tries again.
class CRetryDialog : public QDialog {
 public:
  CRetryDialog(std::u16string_view message, QWidget* parent);
};

}  // namespace quillon
