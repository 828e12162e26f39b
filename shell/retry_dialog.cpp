#include "shell/retry_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "resources/strings.h"
#include "resources/templates.h"
#include "shell/dialog_font.h"
#include "shell/qt_text.h"

namespace quillon {

CRetryDialog::CRetryDialog(std::u16string_view message, QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(Q(str::kAppTitle));
  setFont(DialogFont(templates::kRetryDialog.fontPoints));
  const DialogUnits units = DialogUnitsOf(font());
  setFixedSize(
      ToQRect(units.Map(0, 0, templates::kRetryDialog.width, templates::kRetryDialog.height))
          .size());
  for (const templates::DialogItem& item : templates::kRetryDialogItems) {
    const QRect rect = ToQRect(units.Map(item.x, item.y, item.width, item.height));
    if (item.kind == templates::ItemKind::kStatic) {
      auto* text = new QLabel(DisplayText(message), this);
      text->setTextFormat(Qt::PlainText);
      text->setWordWrap(true);
      text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      text->setGeometry(rect);
      text->setObjectName(QStringLiteral("control%1").arg(item.id));
    } else {
      auto* button = new QPushButton(Q(item.text), this);
      button->setDefault(true);
      button->setGeometry(rect);
      button->setObjectName(QStringLiteral("control%1").arg(item.id));
      // The button carries the cancel id: it ends the dialog as the close
      // box does.
      connect(button, &QPushButton::clicked, this, &QDialog::reject);
      button->setFocus();
    }
  }
}

}  // namespace quillon
