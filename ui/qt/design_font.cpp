#include "ui/qt/design_font.h"

#include <QString>
#include <QStringList>

#include "ui/common/design_measures.h"

namespace bt {

void InstallFontSubstitutes() {
  // Liberation Sans (Arial's widths) fits the design's one-line labels as
  // the original bitmap face did; DejaVu Sans, the usual fallback, is about
  // 13% wider and would cut them off. The condensed DejaVu is nearly as
  // narrow as Liberation.
  static const bool installed = [] {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arimo"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans Condensed")});
    return true;
  }();
  (void)installed;
}

QFont DesignFont(const std::optional<FontDesign>& font) {
  InstallFontSubstitutes();
  const FontDesign& design = FontOrDefault(font);
  QFont result(QString::fromStdString(design.face));
  result.setPointSizeF(design.points);
  result.setWeight(static_cast<QFont::Weight>(design.weight));
  result.setStyleHint(QFont::SansSerif);
  result.setItalic(false);
  result.setUnderline(false);
  result.setStrikeOut(false);
  return result;
}

}  // namespace bt
