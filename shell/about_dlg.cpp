#include "shell/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "resources/strings.h"
#include "shell/app_icon.h"
#include "shell/dialog_font.h"
#include "shell/qt_text.h"

namespace quillon {
namespace {

QWidget* CreateIcon(QWidget* parent) {
  auto* icon = new QLabel(parent);
  icon->setPixmap(AppIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return icon;
}

// The version line is filled in here; the template holds the other texts.
QWidget* CreateText(const templates::DialogItem& item, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);  // an ampersand shows as itself
  if (item.id == templates::kVersionTextId) {
    label->setText(Q(str::kVersionPrefix) + Q(str::kVersion));
  } else if (item.text != nullptr) {
    label->setText(DisplayText(item.text));
  }
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(DesktopPort& desktop, QWidget* parent) : QDialog(parent), m_desktop(desktop) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(Q(str::kAboutCaption));
  setFont(DialogFont(templates::kAboutDialog.fontPoints));
  const DialogUnits units = FittingDialogUnits(font(), templates::kAboutDialogItems);
  setFixedSize(
      ToQRect(units.Map(0, 0, templates::kAboutDialog.width, templates::kAboutDialog.height))
          .size());

  for (const templates::DialogItem& item : templates::kAboutDialogItems) {
    QWidget* widget = CreateControl(item);
    if (widget == nullptr) continue;
    widget->setGeometry(ToQRect(units.Map(item.x, item.y, item.width, item.height)));
    widget->setObjectName(QStringLiteral("control%1").arg(item.id));
    if (item.id != templates::kNoId) widget->setProperty("controlId", item.id);
  }
  if (QWidget* ok = Control(templates::kOkId)) ok->setFocus();
}

QWidget* CAboutDlg::CreateControl(const templates::DialogItem& item) {
  switch (item.kind) {
    case templates::ItemKind::kIcon:
      return CreateIcon(this);
    case templates::ItemKind::kStatic:
      return CreateText(item, this);
    case templates::ItemKind::kButton:
      return CreateButton(item);
    default:
      return nullptr;
  }
}

QWidget* CAboutDlg::CreateButton(const templates::DialogItem& item) {
  auto* button = new QPushButton(Q(item.text), this);
  button->setAutoDefault(item.defaultButton);
  button->setDefault(item.defaultButton);
  if (item.id == templates::kOkId) {
    connect(button, &QPushButton::clicked, this, &QDialog::accept);
  } else if (item.id == templates::kHomePageId) {
    connect(button, &QPushButton::clicked, this, [this] { OnHomePage(); });
  }
  return button;
}

QWidget* CAboutDlg::Control(int id) const {
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->property("controlId").toInt() == id) return child;
  }
  return nullptr;
}

void CAboutDlg::OnHomePage() {
  // The box stays open; whether a browser came up is not reported.
  m_desktop.OpenWithDefaultApplication(HomePageAddress());
}

}  // namespace quillon
