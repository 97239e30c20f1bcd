#include "ui/qt/folder_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace bt {

namespace {

constexpr int kSize = 16;
const QColor kOutline(0x00, 0x00, 0x00);
const QColor kBack(0xC0, 0xA0, 0x00);    // the inside of an open folder
const QColor kFront(0xFF, 0xE8, 0x60);   // the folder's yellow
const QColor kLight(0xFF, 0xFF, 0xC8);   // the lit top edge

QPixmap Canvas() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon ClosedFolderIcon() {
  QPixmap pixmap = Canvas();
  QPainter painter(&pixmap);
  painter.setPen(kOutline);
  painter.setBrush(kFront);
  painter.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 4}, {14, 4}, {14, 13}, {1, 13}}));
  painter.setPen(kLight);
  painter.drawLine(2, 5, 13, 5);
  painter.drawLine(2, 5, 2, 12);
  return QIcon(pixmap);
}

QIcon OpenFolderIcon() {
  QPixmap pixmap = Canvas();
  QPainter painter(&pixmap);
  painter.setPen(kOutline);
  painter.setBrush(kBack);
  painter.drawPolygon(QPolygon({{1, 3}, {6, 3}, {7, 4}, {13, 4}, {13, 7}, {1, 13}}));
  // The front flap falls open towards the viewer.
  painter.setBrush(kFront);
  painter.drawPolygon(QPolygon({{4, 7}, {15, 7}, {12, 13}, {1, 13}}));
  painter.setPen(kLight);
  painter.drawLine(5, 8, 13, 8);
  return QIcon(pixmap);
}

}  // namespace bt
