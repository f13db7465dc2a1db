#include "ui/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace krax::ui {
namespace {

using Draw = std::function<void(QPainter&)>;

// Paints `draw` (which works in a 16 x 16 space, or `logical` units) at `scale` device pixels
// per unit.
QPixmap Render(const Draw& draw, int logicalWidth, int logicalHeight, qreal scale) {
  QPixmap pixmap(qRound(logicalWidth * scale), qRound(logicalHeight * scale));
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    draw(p);
  }
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

QIcon MakeIcon(const Draw& draw) {
  QIcon icon;
  icon.addPixmap(Render(draw, 16, 16, 1.0));
  icon.addPixmap(Render(draw, 16, 16, 2.0));
  return icon;
}

QPen Outline(const QColor& c, qreal width = 0.8) {
  return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Wheel(QPainter& p, QPointF centre, qreal r) {
  p.setPen(Outline(QColor(20, 20, 20), 0.6));
  p.setBrush(QColor(35, 35, 35));
  p.drawEllipse(centre, r, r);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 190, 190));
  p.drawEllipse(centre, r * 0.45, r * 0.45);
}

// How a car body is shaded: lit from `top` down to the wheels' line, in percent of the body
// colour as QColor::lighter and darker take it.
struct BodyShade {
  qreal top;
  int lighter, darker, outline;
};

void PaintBody(QPainter& p, const QPainterPath& shape, const QColor& body, const BodyShade& shade) {
  QLinearGradient gradient(0, shade.top, 0, 11);
  gradient.setColorAt(0, body.lighter(shade.lighter));
  gradient.setColorAt(1, body.darker(shade.darker));
  p.setPen(Outline(body.darker(shade.outline)));
  p.setBrush(gradient);
  p.drawPath(shape);
}

// A saloon seen from the side, filling the 16 x 16 square.
void DrawCar(QPainter& p, const QColor& body) {
  QPainterPath shape;
  shape.moveTo(1.0, 11.0);
  shape.lineTo(1.0, 8.2);
  shape.quadTo(1.2, 7.0, 3.0, 6.8);
  shape.lineTo(4.6, 6.6);
  shape.lineTo(6.4, 3.8);
  shape.lineTo(10.6, 3.8);
  shape.lineTo(12.6, 6.6);
  shape.quadTo(15.0, 7.0, 15.0, 8.6);
  shape.lineTo(15.0, 11.0);
  shape.closeSubpath();
  PaintBody(p, shape, body, {4, 135, 115, 190});
  QPolygonF window({{5.6, 6.6}, {6.9, 4.7}, {10.1, 4.7}, {11.5, 6.6}});
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 230, 250));
  p.drawPolygon(window);
  p.setPen(Outline(body.darker(190), 0.6));
  p.drawLine(QPointF(8.5, 4.7), QPointF(8.5, 6.6));
  Wheel(p, {4.5, 11.2}, 2.0);
  Wheel(p, {11.6, 11.2}, 2.0);
}

// A low wedge-shaped sports car, filling the 16 x 16 square.
void DrawSportsCar(QPainter& p, const QColor& body) {
  QPainterPath shape;
  shape.moveTo(0.6, 11.0);
  shape.lineTo(0.8, 8.6);
  shape.lineTo(5.5, 7.4);
  shape.lineTo(7.8, 5.2);
  shape.lineTo(11.2, 5.2);
  shape.lineTo(13.2, 7.4);
  shape.quadTo(15.6, 7.8, 15.4, 9.4);
  shape.lineTo(15.4, 11.0);
  shape.closeSubpath();
  PaintBody(p, shape, body, {5, 140, 120, 200});
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 50, 70));
  p.drawPolygon(QPolygonF({{7.0, 7.3}, {8.3, 5.9}, {10.8, 5.9}, {12.1, 7.3}}));
  p.setBrush(QColor(255, 255, 255, 200));
  p.drawRect(QRectF(2.0, 9.0, 11.5, 0.7));
  Wheel(p, {4.0, 11.3}, 1.9);
  Wheel(p, {12.3, 11.3}, 1.9);
}

void DrawFolder(QPainter& p) {
  p.setPen(Outline(QColor(150, 110, 0)));
  p.setBrush(QColor(235, 185, 40));
  p.drawPolygon(QPolygonF({{1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {14.5, 5.0}, {14.5, 13.0}, {1.5, 13.0}}));
  QLinearGradient front(0, 6.5, 0, 13);
  front.setColorAt(0, QColor(255, 228, 120));
  front.setColorAt(1, QColor(245, 195, 50));
  p.setBrush(front);
  p.drawPolygon(QPolygonF({{1.5, 13.0}, {2.6, 6.8}, {15.3, 6.8}, {14.5, 13.0}}));
}

void DrawTrackMap(QPainter& p) {
  p.setPen(Outline(QColor(40, 110, 40)));
  p.setBrush(QColor(120, 200, 100));
  p.drawRoundedRect(QRectF(1.0, 1.5, 14.0, 13.0), 2.0, 2.0);
  QPainterPath loop;
  loop.moveTo(4.0, 11.5);
  loop.cubicTo(1.5, 11.5, 2.0, 4.5, 5.0, 4.5);
  loop.cubicTo(7.5, 4.5, 7.0, 8.0, 9.5, 7.5);
  loop.cubicTo(12.0, 7.0, 10.5, 3.5, 12.5, 4.0);
  loop.cubicTo(14.5, 4.5, 14.0, 11.5, 11.5, 11.5);
  loop.closeSubpath();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(70, 70, 70), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(loop);
  p.setPen(QPen(QColor(230, 230, 230), 0.5));
  p.drawPath(loop);
  p.setPen(QPen(Qt::white, 1.2));
  p.drawLine(QPointF(7.5, 10.6), QPointF(7.5, 12.4));
}

void DrawRoad(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(110, 185, 90));
  p.drawRoundedRect(QRectF(0.5, 1.5, 15.0, 13.0), 1.5, 1.5);
  p.setBrush(QColor(85, 85, 90));
  p.drawPolygon(QPolygonF({{6.3, 1.5}, {9.7, 1.5}, {14.5, 14.5}, {1.5, 14.5}}));
  p.setPen(QPen(QColor(255, 215, 0), 0.9));
  p.drawLine(QPointF(8.0, 2.5), QPointF(8.0, 4.5));
  p.drawLine(QPointF(8.0, 6.5), QPointF(8.0, 9.0));
  p.drawLine(QPointF(8.0, 11.0), QPointF(8.0, 14.0));
}

void DrawDot(QPainter& p, const QColor& colour) {
  QRadialGradient glow(QPointF(6.8, 6.8), 5.5);
  glow.setColorAt(0, colour.lighter(170));
  glow.setColorAt(1, colour);
  p.setPen(Outline(colour.darker(180), 0.8));
  p.setBrush(glow);
  p.drawEllipse(QPointF(8.0, 8.0), 4.6, 4.6);
}

void DrawErrorPlate(QPainter& p) {
  p.setPen(Outline(QColor(120, 120, 120)));
  p.setBrush(QColor(215, 215, 215));
  p.drawRoundedRect(QRectF(1.0, 1.0, 14.0, 14.0), 2.0, 2.0);
}

const QColor kErrorRed(205, 20, 20);

void DrawNotEqual(QPainter& p) {
  DrawErrorPlate(p);
  p.setPen(QPen(kErrorRed, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(4.0, 6.3), QPointF(12.0, 6.3));
  p.drawLine(QPointF(4.0, 9.9), QPointF(12.0, 9.9));
  p.drawLine(QPointF(10.0, 3.5), QPointF(6.0, 12.7));
}

void DrawText(QPainter& p, const QRectF& box, const QString& text, const QColor& colour,
              qreal pixelSize, bool bold = true) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(1);  // replaced below; pixel sizes must be integers, so scale instead
  font.setBold(bold);
  font.setPixelSize(100);
  p.save();
  p.setFont(font);
  p.setPen(colour);
  const qreal factor = pixelSize / 100.0;
  p.translate(box.center());
  p.scale(factor, factor);
  const QRectF scaled(-box.width() / factor / 2, -box.height() / factor / 2, box.width() / factor,
                      box.height() / factor);
  p.drawText(scaled, Qt::AlignCenter, text);
  p.restore();
}

void DrawTimesTwo(QPainter& p) {
  DrawErrorPlate(p);
  DrawText(p, QRectF(1, 1, 14, 14), QStringLiteral("\u00d72"), kErrorRed, 9.5);
}

void DrawGreaterFour(QPainter& p) {
  DrawErrorPlate(p);
  DrawText(p, QRectF(1, 1, 14, 14), QStringLiteral(">4"), kErrorRed, 9.5);
}

void DrawRedCross(QPainter& p) {
  p.setPen(QPen(QColor(220, 0, 0), 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(2.5, 2.5), QPointF(13.5, 13.5));
  p.drawLine(QPointF(13.5, 2.5), QPointF(2.5, 13.5));
}

// Draws `main` shrunk into the top-left part and `badge` into the bottom-right corner.
void WithBadge(QPainter& p, const Draw& main, const Draw& badge) {
  p.save();
  p.scale(0.8, 0.8);
  main(p);
  p.restore();
  p.save();
  p.translate(7.5, 7.5);
  p.scale(0.53, 0.53);
  badge(p);
  p.restore();
}

void DrawPlusBadge(QPainter& p) {
  p.setPen(Outline(QColor(20, 110, 20), 1.2));
  p.setBrush(QColor(60, 180, 60));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(8, 4), QPointF(8, 12));
  p.drawLine(QPointF(4, 8), QPointF(12, 8));
}

void DrawPackage(QPainter& p) {
  p.setPen(Outline(QColor(110, 70, 20), 1.2));
  p.setBrush(QColor(205, 150, 80));
  p.drawRect(QRectF(1.5, 4.0, 13.0, 11.0));
  p.setBrush(QColor(230, 185, 120));
  p.drawPolygon(QPolygonF({{1.5, 4.0}, {4.0, 1.0}, {16.0, 1.0}, {14.5, 4.0}}));
  p.setPen(QPen(QColor(60, 60, 160), 2.0));
  p.drawLine(QPointF(8.0, 4.0), QPointF(8.0, 15.0));
}

void DrawDisc(QPainter& p) {
  QRadialGradient silver(QPointF(6, 6), 9);
  silver.setColorAt(0, QColor(250, 250, 255));
  silver.setColorAt(0.6, QColor(190, 200, 215));
  silver.setColorAt(1, QColor(160, 170, 200));
  p.setPen(Outline(QColor(90, 90, 110), 1.0));
  p.setBrush(silver);
  p.drawEllipse(QRectF(0.8, 0.8, 14.4, 14.4));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
}

void DrawLetters(QPainter& p) {
  p.setPen(Outline(QColor(80, 80, 80)));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.0, 2.0, 14.0, 12.0));
  DrawText(p, QRectF(1, 2, 14, 12), QStringLiteral("Ab"), QColor(20, 40, 140), 9.5);
}

void DrawReload(QPainter& p) {
  const QColor blue(30, 110, 200);
  p.setPen(QPen(blue, 2.0, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 280 * 16);
  p.setPen(Outline(blue.darker(130), 0.6));
  p.setBrush(blue);
  p.drawPolygon(QPolygonF({{6.0, 0.6}, {10.2, 3.2}, {6.0, 5.6}}));
}

void DrawGear(QPainter& p) {
  const QColor steel(110, 120, 135);
  p.setPen(Outline(steel.darker(160), 0.6));
  p.setBrush(steel);
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(8, 8);
    p.rotate(i * 45.0);
    p.drawRect(QRectF(-1.3, -7.3, 2.6, 3.5));
    p.restore();
  }
  p.drawEllipse(QPointF(8, 8), 5.2, 5.2);
  p.setBrush(QColor(240, 240, 240));
  p.drawEllipse(QPointF(8, 8), 2.0, 2.0);
}

void DrawFlag(QPainter& p) {
  p.setPen(QPen(QColor(90, 60, 30), 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 15.0));
  p.setPen(Qt::NoPen);
  const qreal cell = 2.4;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 5; ++col) {
      p.setBrush(((row + col) % 2) ? QColor(255, 255, 255) : QColor(20, 20, 20));
      p.drawRect(QRectF(3.1 + col * cell, 2.0 + row * cell, cell, cell));
    }
  }
  p.setPen(Outline(QColor(20, 20, 20), 0.5));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(3.1, 2.0, 5 * cell, 3 * cell));
  // A green "go" triangle under the flag.
  p.setPen(Outline(QColor(10, 100, 10), 0.6));
  p.setBrush(QColor(40, 180, 40));
  p.drawPolygon(QPolygonF({{7.5, 10.0}, {13.5, 12.6}, {7.5, 15.2}}));
}

void DrawSerialNumbers(QPainter& p) {
  DrawText(p, QRectF(0, 1, 13, 15), QStringLiteral("#"), QColor(30, 70, 170), 15);
  // Sparkle: new numbers.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 190, 0));
  p.drawPolygon(QPolygonF({{12.5, 0.5}, {13.4, 2.8}, {15.7, 3.5}, {13.4, 4.3}, {12.5, 6.5},
                           {11.6, 4.3}, {9.3, 3.5}, {11.6, 2.8}}));
}

void DrawStringEdit(QPainter& p) {
  DrawLetters(p);
  p.save();
  p.translate(10.5, 10.5);
  p.rotate(45);
  p.setPen(Outline(QColor(90, 60, 0), 0.5));
  p.setBrush(QColor(250, 200, 40));
  p.drawRect(QRectF(-1.2, -6.5, 2.4, 8.0));
  p.setBrush(QColor(240, 200, 160));
  p.drawPolygon(QPolygonF({{-1.2, 1.5}, {1.2, 1.5}, {0, 4.2}}));
  p.restore();
}

void DrawProgram(QPainter& p) {
  // Dark blue plate, a checkered band as finish line and the red sports car.
  QLinearGradient sky(0, 0, 0, 16);
  sky.setColorAt(0, QColor(40, 70, 150));
  sky.setColorAt(1, QColor(15, 30, 80));
  p.setPen(Outline(QColor(10, 20, 60), 0.5));
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(0.3, 0.3, 15.4, 15.4), 3.0, 3.0);
  p.setPen(Qt::NoPen);
  const qreal cell = 1.1;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 13; ++col) {
      p.setBrush(((row + col) % 2) ? QColor(240, 240, 240) : QColor(30, 30, 30));
      p.drawRect(QRectF(0.85 + col * cell, 12.4 + row * cell, cell, cell));
    }
  }
  p.save();
  p.translate(0.5, 0.2);
  p.scale(0.94, 0.94);
  DrawSportsCar(p, QColor(215, 25, 25));
  p.restore();
}

}  // namespace

QVector<QIcon> TreeImageList() {
  QVector<QIcon> images(kTreeImageCount);
  images[kImageCar] = MakeIcon([](QPainter& p) { DrawCar(p, QColor(40, 100, 200)); });
  images[kImageCarDisabled] = MakeIcon([](QPainter& p) {
    DrawCar(p, QColor(150, 150, 160));
    DrawRedCross(p);
  });
  images[kImageSubFolder] = MakeIcon(DrawFolder);
  images[kImageCarsGroup] = MakeIcon([](QPainter& p) { DrawSportsCar(p, QColor(215, 25, 25)); });
  images[kImageTracksGroup] = MakeIcon(DrawTrackMap);
  images[kImageStockSlot] = MakeIcon(DrawRoad);
  images[kImageTrackInactive] = MakeIcon([](QPainter& p) { DrawDot(p, QColor(210, 30, 30)); });
  images[kImageTrackActive] = MakeIcon([](QPainter& p) { DrawDot(p, QColor(30, 170, 40)); });
  images[kImageSerialsDiffer] = MakeIcon(DrawNotEqual);
  images[kImageSerialDuplicate] = MakeIcon(DrawTimesTwo);
  images[kImageFolderTooLong] = MakeIcon(DrawGreaterFour);
  images[kImageBlank] = MakeIcon([](QPainter&) {});
  return images;
}

QIcon CommandIcon(CommandPicture picture) {
  const Draw car = [](QPainter& p) { DrawCar(p, QColor(40, 100, 200)); };
  switch (picture) {
    case CommandPicture::kReload: return MakeIcon(DrawReload);
    case CommandPicture::kOptions: return MakeIcon(DrawGear);
    case CommandPicture::kRunGame: return MakeIcon(DrawFlag);
    case CommandPicture::kInstallCar:
      return MakeIcon([car](QPainter& p) { WithBadge(p, car, DrawPlusBadge); });
    case CommandPicture::kInstallCarFromComp:
      return MakeIcon([car](QPainter& p) { WithBadge(p, car, DrawPackage); });
    case CommandPicture::kInstallTrack:
      return MakeIcon([](QPainter& p) { WithBadge(p, DrawRoad, DrawPlusBadge); });
    case CommandPicture::kInstallTrackFromComp:
      return MakeIcon([](QPainter& p) { WithBadge(p, DrawRoad, DrawPackage); });
    case CommandPicture::kRestoreTracks:
      return MakeIcon([](QPainter& p) { WithBadge(p, DrawRoad, DrawDisc); });
    case CommandPicture::kRestoreCars:
      return MakeIcon([car](QPainter& p) { WithBadge(p, car, DrawDisc); });
    case CommandPicture::kRestoreStrings:
      return MakeIcon([](QPainter& p) { WithBadge(p, DrawLetters, DrawDisc); });
    case CommandPicture::kGenerateSerials: return MakeIcon(DrawSerialNumbers);
    case CommandPicture::kStringEdit: return MakeIcon(DrawStringEdit);
  }
  return {};
}

QPixmap ProgramPixmap(int size) {
  return Render([size](QPainter& p) { p.scale(size / 16.0, size / 16.0); DrawProgram(p); }, size,
                size, 1.0);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

QPixmap FormPicture(qreal devicePixelRatio) {
  return Render(
      [](QPainter& p) {
        p.translate(0.5, 0);
        p.scale(2.0, 2.0);
        DrawProgram(p);
      },
      33, 32, devicePixelRatio);
}

}  // namespace krax::ui
