#include "shell/dialog_font.h"

#include <QFontMetrics>
#include <QStringList>

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

}  // namespace quillon
