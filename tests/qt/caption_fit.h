// Whether a control's caption fits the place the control draws it in, judged
// by the ink the text leaves when drawn at the screen's scale, not by font
// metrics alone: at 1.5 or 2 device pixels a point, hinting and rounding can
// make a text a pixel wider than its metrics at 1, and that pixel is cut.
#pragma once

#include <optional>
#include <string>

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QtMath>

namespace bt {

struct CaptionPlace {
  QString text;
  QRect area;  // in the widget's own coordinates
  int flags;   // as the widget draws its text
};

// Where each kind of captioned widget of this program draws its caption;
// nothing for a widget without one.
inline std::optional<CaptionPlace> CaptionPlaceOf(QWidget& widget) {
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    if (label->text().isEmpty()) return std::nullopt;
    const int wrap = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
    return CaptionPlace{label->text(), label->contentsRect(), int(label->alignment()) | wrap};
  }
  if (auto* box = qobject_cast<QCheckBox*>(&widget)) {
    // The program's check box wraps its caption beside the box.
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const int spacing = box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box);
    QRect area = box->rect();
    area.setLeft(indicator.right() + 1 + spacing);
    return CaptionPlace{box->text(), area,
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic};
  }
  if (auto* button = qobject_cast<QPushButton*>(&widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    return CaptionPlace{button->text(), area, Qt::AlignCenter | Qt::TextShowMnemonic};
  }
  if (auto* frame = qobject_cast<QGroupBox*>(&widget)) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.textAlignment = frame->alignment();
    const QRect area =
        frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    return CaptionPlace{frame->title(), area,
                        Qt::TextShowMnemonic | Qt::AlignHCenter | int(frame->alignment())};
  }
  return std::nullopt;
}

// The part of the caption's ink that falls outside its area, in device
// pixels at the widget's scale; empty when the caption fits.
inline QRect CaptionOverflow(QWidget& widget, const CaptionPlace& place) {
  const qreal scale = widget.devicePixelRatioF();
  const int margin = 4 * widget.fontMetrics().height();
  const QSize logical = place.area.size() + QSize(2 * margin, 2 * margin);
  QImage canvas((QSizeF(logical) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
  canvas.setDevicePixelRatio(scale);
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setFont(widget.font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(margin, margin), place.area.size()), place.flags | Qt::TextDontClip,
                     place.text);
  }
  QRect ink;
  for (int y = 0; y < canvas.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    for (int x = 0; x < canvas.width(); ++x) {
      if (qAlpha(line[x]) != 0) ink |= QRect(x, y, 1, 1);
    }
  }
  const QRect allowed(QPoint(qFloor(margin * scale), qFloor(margin * scale)),
                      QPoint(qCeil((margin + place.area.width()) * scale) - 1,
                             qCeil((margin + place.area.height()) * scale) - 1));
  if (allowed.contains(ink)) return {};
  return QRegion(ink).subtracted(QRegion(allowed)).boundingRect();
}

// One line per caption of top or its children that is cut, naming the
// widget; empty when every caption fits.
inline std::string CutCaptions(QWidget& top) {
  std::string report;
  QList<QWidget*> widgets = top.findChildren<QWidget*>();
  widgets.prepend(&top);
  for (QWidget* widget : widgets) {
    const std::optional<CaptionPlace> place = CaptionPlaceOf(*widget);
    if (!place) continue;
    const QRect overflow = CaptionOverflow(*widget, *place);
    if (overflow.isEmpty()) continue;
    const auto number = [](qreal value) { return QString::number(value).toStdString(); };
    report += widget->objectName().toStdString() + " \"" + place->text.toStdString() + "\" at scale " +
              number(widget->devicePixelRatioF()) + ": ink " + number(overflow.width()) + "x" +
              number(overflow.height()) + " device pixels beyond its " + number(place->area.width()) + "x" +
              number(place->area.height()) + " area, at (" + number(overflow.x()) + "," + number(overflow.y()) +
              ")\n";
  }
  return report;
}

}  // namespace bt
