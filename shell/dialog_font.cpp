#include "shell/dialog_font.h"

#include <QFontMetrics>
#include <QStringList>

#include "shell/qt_text.h"

namespace quillon {

QFont DialogFont(int points) {
  QFont font;
  // The first of these that is installed wins; fontconfig supplies a
  // Japanese-capable fallback when none is.
  font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                    QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic"),
                    QStringLiteral("Source Han Sans JP"), QStringLiteral("sans-serif")});
  font.setPointSize(points);
  font.setWeight(QFont::Normal);
  return font;
}

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average over the 52 Latin letters, rounded, as the original
  // platform computes a dialog font's average character width.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

bool TextFits(const QFont& font, const char16_t* text, int x, int width, const DialogUnits& units) {
  const QFontMetrics metrics(font);
  const int available = units.X(x + width) - units.X(x);
  const QStringList lines = DisplayText(text).split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    if (metrics.horizontalAdvance(line) > available) return false;
  }
  return true;
}

}  // namespace quillon
