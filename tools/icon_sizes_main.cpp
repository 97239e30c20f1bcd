// Build tool: makes the desktop's icon set from the program's one 32 x 32
// picture, for the icon theme's hicolor folders and software centres.
//
//     bt_icon_sizes SOURCE.png OUTPUT_FOLDER SIZE...
//
// Writes OUTPUT_FOLDER/<size>.png for each size and OUTPUT_FOLDER/scalable.svg.
// The picture is pixel art: sizes that are whole multiples of it keep every
// pixel square and sharp; the others are averaged down from an eightfold
// enlargement, so that no pixel of the picture is dropped or doubled. The SVG
// draws each run of same-coloured pixels as a rectangle, sharp at any size.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTextStream>

namespace {

constexpr int kEnlargement = 8;

QImage Sized(const QImage& picture, int size) {
  if (size % picture.width() == 0) return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  const int large = picture.width() * kEnlargement;
  const QImage enlarged = picture.scaled(large, large, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return enlarged.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString Colour(QRgb pixel) { return QStringLiteral("#%1").arg(pixel & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

bool WriteSvg(const QImage& picture, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QTextStream out(&file);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << picture.width() << "\" height=\""
      << picture.height() << "\" viewBox=\"0 0 " << picture.width() << ' ' << picture.height()
      << "\" shape-rendering=\"crispEdges\">\n";
  for (int y = 0; y < picture.height(); ++y) {
    int x = 0;
    while (x < picture.width()) {
      const QRgb pixel = picture.pixel(x, y);
      int end = x + 1;
      while (end < picture.width() && picture.pixel(end, y) == pixel) ++end;
      // The picture's pixels are either opaque or fully transparent.
      if (qAlpha(pixel) != 0) {
        out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x
            << "\" height=\"1\" fill=\"" << Colour(pixel) << "\"/>\n";
      }
      x = end;
    }
  }
  out << "</svg>\n";
  return out.status() == QTextStream::Ok && file.flush();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bt_icon_sizes SOURCE.png OUTPUT_FOLDER SIZE...\n");
    return 2;
  }
  const QImage source(QString::fromLocal8Bit(argv[1]));
  if (source.isNull() || source.width() != source.height()) {
    std::fprintf(stderr, "bt_icon_sizes: %s is not a square picture\n", argv[1]);
    return 1;
  }
  const QImage picture = source.convertToFormat(QImage::Format_ARGB32);
  const QDir folder(QString::fromLocal8Bit(argv[2]));
  if (!QDir().mkpath(folder.path())) return 1;

  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "bt_icon_sizes: %s is no size\n", argv[i]);
      return 2;
    }
    const QString path = folder.filePath(QStringLiteral("%1.png").arg(size));
    if (!Sized(picture, size).save(path, "PNG")) {
      std::fprintf(stderr, "bt_icon_sizes: cannot write %s\n", path.toLocal8Bit().constData());
      return 1;
    }
  }
  if (!WriteSvg(picture, folder.filePath(QStringLiteral("scalable.svg")))) {
    std::fprintf(stderr, "bt_icon_sizes: cannot write the SVG picture\n");
    return 1;
  }
  return 0;
}
