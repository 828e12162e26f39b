#include "shell/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "resources/strings.h"
#include "resources/templates.h"
#include "shell/app_icon.h"
#include "shell/dialog_font.h"
#include "shell/qt_text.h"

namespace quillon {

CAboutDlg::CAboutDlg(DialogPort& port, QWidget* parent) : QDialog(parent), m_port(port) {
  using templates::ItemKind;
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(Q(str::kAboutCaption));
  setFont(DialogFont(templates::kAboutDialog.fontPoints));
  const DialogUnits units = FittingDialogUnits(font(), templates::kAboutDialogItems);
  setFixedSize(
      ToQRect(units.Map(0, 0, templates::kAboutDialog.width, templates::kAboutDialog.height))
          .size());

  QPushButton* ok = nullptr;
  for (const templates::DialogItem& item : templates::kAboutDialogItems) {
    const QRect rect = ToQRect(units.Map(item.x, item.y, item.width, item.height));
    QWidget* widget = nullptr;
    switch (item.kind) {
      case ItemKind::kIcon: {
        auto* icon = new QLabel(this);
        icon->setPixmap(AppIcon().pixmap(32, 32));
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = icon;
        break;
      }
      case ItemKind::kStatic: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);  // an ampersand shows as itself
        if (item.id == templates::kVersionTextId) {
          label->setText(Q(str::kVersionPrefix) + Q(str::kVersion));
        } else if (item.text != nullptr) {
          label->setText(DisplayText(item.text));
        }
        widget = label;
        break;
      }
      case ItemKind::kButton: {
        auto* button = new QPushButton(Q(item.text), this);
        button->setAutoDefault(item.defaultButton);
        button->setDefault(item.defaultButton);
        if (item.id == templates::kOkId) {
          ok = button;
          connect(button, &QPushButton::clicked, this, &QDialog::accept);
        } else if (item.id == templates::kHomePageId) {
          connect(button, &QPushButton::clicked, this, [this] { OnHomePage(); });
        }
        widget = button;
        break;
      }
      default:
        continue;
    }
    widget->setGeometry(rect);
    widget->setObjectName(QStringLiteral("control%1").arg(item.id));
    if (item.id != templates::kNoId) widget->setProperty("controlId", item.id);
  }
  if (ok != nullptr) ok->setFocus();
}

QWidget* CAboutDlg::Control(int id) const {
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->property("controlId").toInt() == id) return child;
  }
  return nullptr;
}

void CAboutDlg::OnHomePage() {
  // The box stays open; whether a browser came up is not reported.
  m_port.OpenWithDefaultApplication(HomePageAddress());
}

}  // namespace quillon
