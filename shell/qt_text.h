// Handing the logic's UTF-16 text to Qt and back, unchanged.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillon {

// The same UTF-16 code units; a lone surrogate of a name that is not valid
// UTF-8 stays as it is (it displays as a replacement mark).
inline QString Q(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Message and label texts are written with CR LF line breaks; Qt breaks lines
// at LF and would show the CR.
inline QString DisplayText(std::u16string_view text) {
  QString display = Q(text);
  display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return display;
}

inline std::u16string ToU16(const QString& text) {
  return text.toStdU16String();
}

}  // namespace quillon
