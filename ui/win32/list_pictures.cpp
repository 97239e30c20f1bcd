#include "ui/win32/list_pictures.h"

#include <initializer_list>
#include <vector>

#include "ui/win32/dpi.h"

namespace bt {

namespace {

constexpr COLORREF kOutline = RGB(0x00, 0x00, 0x00);
constexpr COLORREF kBack = RGB(0xC0, 0xA0, 0x00);   // the inside of an open folder
constexpr COLORREF kFront = RGB(0xFF, 0xE8, 0x60);  // the folder's yellow
constexpr COLORREF kLight = RGB(0xFF, 0xFF, 0xC8);  // the lit top edge
constexpr COLORREF kCase = RGB(0xC0, 0xC0, 0xC0);   // a drive's case
constexpr COLORREF kShade = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kLamp = RGB(0x00, 0xC0, 0x00);   // the hard disk's light
constexpr COLORREF kDisk = RGB(0x30, 0x30, 0x60);   // a floppy disk
constexpr COLORREF kLabel = RGB(0xFF, 0xFF, 0xFF);

class Canvas {
 public:
  Canvas(HDC dc, POINT origin, UINT dpi) : dc_(dc), origin_(origin), dpi_(dpi) {}

  POINT At(int x, int y) const {
    return POINT{origin_.x + ScalePixels(x, dpi_), origin_.y + ScalePixels(y, dpi_)};
  }

  void Polygon(std::initializer_list<POINT> corners, COLORREF fill) const {
    std::vector<POINT> points;
    for (const POINT& corner : corners) points.push_back(At(corner.x, corner.y));
    HPEN pen = CreatePen(PS_SOLID, ScalePixels(1, dpi_), kOutline);
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    HGDIOBJ oldBrush = SelectObject(dc_, brush);
    ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }

  // Both ends included, as the pictures are drawn point by point.
  void Line(POINT from, POINT to, COLORREF colour) const {
    const int width = ScalePixels(1, dpi_);
    const POINT a = At(from.x, from.y);
    const POINT b = At(to.x, to.y);
    RECT band{a.x, a.y, b.x + width, b.y + width};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc_, &band, brush);
    DeleteObject(brush);
  }

 private:
  HDC dc_;
  POINT origin_;
  UINT dpi_;
};

}  // namespace

void DrawFolderPicture(HDC dc, POINT topLeft, UINT dpi, bool open) {
  const Canvas canvas(dc, topLeft, dpi);
  if (open) {
    canvas.Polygon({{1, 3}, {6, 3}, {7, 4}, {13, 4}, {13, 7}, {1, 13}}, kBack);
    // The front flap falls open towards the viewer.
    canvas.Polygon({{4, 7}, {15, 7}, {12, 13}, {1, 13}}, kFront);
    canvas.Line({5, 8}, {13, 8}, kLight);
  } else {
    canvas.Polygon({{1, 3}, {6, 3}, {7, 4}, {14, 4}, {14, 13}, {1, 13}}, kFront);
    canvas.Line({2, 5}, {13, 5}, kLight);
    canvas.Line({2, 5}, {2, 12}, kLight);
  }
}

void DrawDrivePicture(HDC dc, POINT topLeft, UINT dpi, bool floppy) {
  const Canvas canvas(dc, topLeft, dpi);
  if (floppy) {
    canvas.Polygon({{2, 1}, {13, 1}, {14, 2}, {14, 14}, {2, 14}}, kDisk);
    canvas.Polygon({{5, 1}, {11, 1}, {11, 6}, {5, 6}}, kCase);  // the shutter
    canvas.Polygon({{4, 9}, {12, 9}, {12, 14}, {4, 14}}, kLabel);
  } else {
    canvas.Polygon({{1, 5}, {14, 5}, {14, 11}, {1, 11}}, kCase);
    canvas.Line({2, 9}, {13, 9}, kShade);
    canvas.Line({11, 7}, {12, 7}, kLamp);
  }
}

}  // namespace bt
