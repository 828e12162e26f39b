#include "shell/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "shell/qt_text.h"

namespace quillon {

bool QtClipboard::SetText(std::u16string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString value = Q(text);
  clipboard->setText(value);
  // The clipboard may refuse (no clipboard owner on this display); reading
  // back what we now own tells.
  return clipboard->text() == value;
}

std::optional<std::u16string> QtClipboard::Text() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return ToU16(data->text());
}

bool QtClipboard::HasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasText();
}

}  // namespace quillon
