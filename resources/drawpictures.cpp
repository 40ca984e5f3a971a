// Draws the program's pictures: the login background, the two pictures of the
// about window, the picture on the main window's background and the button
// glyphs. Run by hand after a change here; the files it writes are committed.
//   drawpictures <folder>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace {
const QColor kNavy(0x0b, 0x22, 0x3f);
const QColor kTeal(0x1b, 0x6e, 0x78);
const QColor kGold(0xf2, 0xc1, 0x4e);

QFont Sans(int pixels, int weight = QFont::Normal) {
  QFont f(QStringLiteral("Noto Sans CJK SC"));
  f.setPixelSize(pixels);
  f.setWeight(QFont::Weight(weight));
  return f;
}

// The shop's bag with the clinic's cross on it: the program's mark.
void DrawMark(QPainter& p, const QRectF& box, const QColor& bag, const QColor& cross) {
  const qreal w = box.width(), h = box.height();
  QPainterPath handle;
  handle.moveTo(box.left() + w * 0.32, box.top() + h * 0.34);
  handle.cubicTo(box.left() + w * 0.32, box.top(), box.left() + w * 0.68, box.top(),
                 box.left() + w * 0.68, box.top() + h * 0.34);
  p.setPen(QPen(bag, w * 0.07, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(handle);
  p.setPen(Qt::NoPen);
  p.setBrush(bag);
  p.drawRoundedRect(QRectF(box.left() + w * 0.12, box.top() + h * 0.3, w * 0.76, h * 0.68), w * 0.1, w * 0.1);
  p.setBrush(cross);
  const QPointF c(box.left() + w * 0.5, box.top() + h * 0.64);
  const qreal arm = w * 0.2, thick = w * 0.09;
  p.drawRoundedRect(QRectF(c.x() - thick, c.y() - arm, thick * 2, arm * 2), thick * 0.3, thick * 0.3);
  p.drawRoundedRect(QRectF(c.x() - arm, c.y() - thick, arm * 2, thick * 2), thick * 0.3, thick * 0.3);
}

void SoftCircles(QPainter& p, const QRect& area, int count, const QColor& tint, quint32 seed) {
  QRandomGenerator random(seed);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < count; ++i) {
    const QPointF c(area.left() + random.bounded(area.width()), area.top() + random.bounded(area.height()));
    const qreal r = 12 + random.bounded(60);
    QRadialGradient g(c, r);
    QColor inner = tint;
    inner.setAlpha(20 + random.bounded(40));
    QColor outer = tint;
    outer.setAlpha(0);
    g.setColorAt(0, inner);
    g.setColorAt(1, outer);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
  }
}

// A clear picture to draw on with smooth edges and text.
QImage ClearImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
}

void TextWithShadow(QPainter& p, const QPointF& at, const QString& text, const QFont& font, const QColor& colour,
                    const QColor& shadow, qreal offset) {
  p.setFont(font);
  p.setPen(shadow);
  p.drawText(at + QPointF(offset, offset), text);
  p.setPen(colour);
  p.drawText(at, text);
}

QImage LoginBackground() {
  QImage image(593, 440, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 593, 330);
  sky.setColorAt(0, kNavy);
  sky.setColorAt(1, kTeal);
  p.fillRect(image.rect(), sky);
  SoftCircles(p, QRect(0, 0, 593, 320), 40, QColor(0x9f, 0xe8, 0xe0), 17);
  // The band that carries the boxes and buttons: dark, so the yellow
  // labels read well.
  QLinearGradient band(0, 318, 0, 440);
  band.setColorAt(0, QColor(0x08, 0x18, 0x2c));
  band.setColorAt(1, QColor(0x04, 0x0d, 0x19));
  p.fillRect(QRect(0, 318, 593, 122), band);
  p.fillRect(QRect(0, 318, 593, 2), kGold);
  QRadialGradient halo(QPointF(112, 150), 86);
  halo.setColorAt(0, QColor(255, 255, 255, 70));
  halo.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(halo);
  p.drawEllipse(QPointF(112, 150), 86, 86);
  DrawMark(p, QRectF(62, 92, 100, 110), QColor(0xf7, 0xf4, 0xea), QColor(0x2e, 0xa0, 0x5b));
  TextWithShadow(p, QPointF(196, 152), QStringLiteral("Brimwick"), Sans(54, QFont::Bold), Qt::white,
                 QColor(0, 0, 0, 110), 3);
  TextWithShadow(p, QPointF(200, 196), QStringLiteral("商店进销存  ·  诊所药房管理"), Sans(21), QColor(0xdd, 0xf3, 0xf0),
                 QColor(0, 0, 0, 90), 2);
  p.fillRect(QRectF(200, 214, 300, 2), kGold);
  TextWithShadow(p, QPointF(200, 246), QStringLiteral("请输入帐号、姓名和密码后登陆"), Sans(15), QColor(0xbf, 0xe3, 0xdf),
                 QColor(0, 0, 0, 80), 1);
  return image;
}

QImage AboutSide() {
  QImage image(201, 361, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 361);
  g.setColorAt(0, QColor(0x16, 0x5a, 0x4a));
  g.setColorAt(1, QColor(0x0b, 0x2a, 0x3f));
  p.fillRect(image.rect(), g);
  SoftCircles(p, image.rect(), 18, QColor(0xc8, 0xf5, 0xd8), 5);
  // A sprig of leaves climbing the picture.
  p.setPen(QPen(QColor(0xa8, 0xd8, 0x9a), 3, Qt::SolidLine, Qt::RoundCap));
  QPainterPath stem;
  stem.moveTo(100, 340);
  stem.cubicTo(70, 260, 130, 180, 100, 60);
  p.drawPath(stem);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    const qreal t = 0.12 + i * 0.14;
    const QPointF at = stem.pointAtPercent(t);
    const bool left = i % 2 == 0;
    p.save();
    p.translate(at);
    p.rotate(left ? -40 : 220);
    QLinearGradient leaf(0, 0, 44, 0);
    leaf.setColorAt(0, QColor(0x4c, 0xb0, 0x6a));
    leaf.setColorAt(1, QColor(0xb6, 0xe8, 0x8c));
    p.setBrush(leaf);
    QPainterPath shape;
    shape.moveTo(0, 0);
    shape.quadTo(22, -16, 46, 0);
    shape.quadTo(22, 16, 0, 0);
    p.drawPath(shape);
    p.restore();
  }
  // A capsule resting at the foot.
  p.save();
  p.translate(100, 318);
  p.rotate(-18);
  p.setBrush(QColor(0xf4, 0xf1, 0xe6));
  p.drawRoundedRect(QRectF(-44, -13, 44, 26), 13, 13);
  p.setBrush(QColor(0xe0, 0x4f, 0x3c));
  p.drawRoundedRect(QRectF(0, -13, 44, 26), 13, 13);
  p.fillRect(QRectF(-13, -13, 26, 26), QColor(0xf4, 0xf1, 0xe6));
  p.fillRect(QRectF(0, -13, 13, 26), QColor(0xe0, 0x4f, 0x3c));
  p.restore();
  DrawMark(p, QRectF(70, 14, 60, 66), QColor(0xf7, 0xf4, 0xea), QColor(0x2e, 0xa0, 0x5b));
  return image;
}

QImage AboutTitle() {
  QImage image = ClearImage(380, 300);
  QPainter p(&image);
  Smooth(p);
  const QColor ink(0x15, 0x3a, 0x52);
  TextWithShadow(p, QPointF(20, 80), QStringLiteral("Brimwick"), Sans(60, QFont::Bold), ink,
                 QColor(0x15, 0x3a, 0x52, 50), 3);
  p.fillRect(QRectF(24, 100, 330, 3), kGold);
  p.setPen(ink);
  p.setFont(Sans(20));
  p.drawText(QPointF(24, 142), QStringLiteral("商店进销存与诊所药房管理系统"));
  p.setFont(Sans(16));
  p.setPen(QColor(0x3b, 0x5d, 0x70));
  p.drawText(QPointF(24, 186), QStringLiteral("版本 1.0"));
  p.drawText(QPointF(24, 216), QStringLiteral("单击左边的图片或“播放”，听一段提示音"));
  p.drawText(QPointF(24, 262), QStringLiteral("版权所有 © Brimwick 开发组"));
  return image;
}

QImage MainEmblem() {
  QImage image = ClearImage(841, 289);
  QPainter p(&image);
  Smooth(p);
  // A soft light patch behind the lettering keeps it readable on any
  // gradient the user picks; it fades out before the picture's edges.
  p.save();
  p.translate(420, 144);
  p.scale(410, 140);
  QRadialGradient glow(QPointF(0, 0), 1);
  glow.setColorAt(0, QColor(255, 255, 255, 110));
  glow.setColorAt(0.6, QColor(255, 255, 255, 50));
  glow.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(QPointF(0, 0), 1, 1);
  p.restore();
  DrawMark(p, QRectF(46, 50, 150, 166), QColor(0x5a, 0x1c, 0x0c), QColor(0xff, 0xf4, 0xd6));
  const QColor ink(0x5a, 0x1c, 0x0c);
  TextWithShadow(p, QPointF(230, 170), QStringLiteral("Brimwick"), Sans(124, QFont::Bold), ink,
                 QColor(255, 255, 255, 120), 4);
  p.setFont(Sans(30));
  p.setPen(ink);
  p.drawText(QPointF(236, 236), QStringLiteral("商店进销存  ·  诊所药房  ·  统计报表"));
  return image;
}

// A 20 by 20 glyph drawn by the given painter code on a clear ground.
QImage Glyph(const std::function<void(QPainter&)>& draw) {
  QImage image = ClearImage(20, 20);
  QPainter p(&image);
  Smooth(p);
  draw(p);
  return image;
}

QPen Stroke(const QColor& c, qreal width) { return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

bool Save(const QImage& image, const QString& folder, const QString& name) {
  const QString path = folder + QLatin1Char('/') + name;
  const bool jpeg = name.endsWith(QLatin1String(".jpg"));
  if (!image.save(path, nullptr, jpeg ? 90 : -1)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: drawpictures <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QColor green(0x2e, 0x9a, 0x52), red(0xc8, 0x3a, 0x2c), blue(0x2a, 0x62, 0xb0);
  bool ok = Save(LoginBackground(), folder, QStringLiteral("login.jpg")) &&
            Save(AboutSide(), folder, QStringLiteral("about-side.jpg")) &&
            Save(AboutTitle(), folder, QStringLiteral("about-title.png")) &&
            Save(MainEmblem(), folder, QStringLiteral("emblem.png"));
  // The program's icon: the mark on a round tile.
  QImage icon = ClearImage(64, 64);
  {
    QPainter p(&icon);
    Smooth(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kTeal);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    DrawMark(p, QRectF(14, 9, 36, 46), QColor(0xf7, 0xf4, 0xea), QColor(0x2e, 0xa0, 0x5b));
  }
  ok = ok && Save(icon, folder, QStringLiteral("icon.png"));
  // A key: log in.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Stroke(QColor(0xb8, 0x86, 0x0b), 2.2));
                    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
                    p.drawEllipse(QPointF(6, 10), 4, 4);
                    p.drawLine(QPointF(10, 10), QPointF(18, 10));
                    p.drawLine(QPointF(15, 10), QPointF(15, 14));
                    p.drawLine(QPointF(18, 10), QPointF(18, 13));
                  }),
                  folder, QStringLiteral("glyph-login.png"));
  // A door with an arrow leaving it: exit.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Stroke(QColor(0x6b, 0x4a, 0x2b), 1.6));
                    p.setBrush(QColor(0xc9, 0x9a, 0x6b));
                    p.drawRect(QRectF(2.5, 2.5, 9, 15));
                    p.setPen(Stroke(red, 2.2));
                    p.drawLine(QPointF(9, 10), QPointF(18, 10));
                    p.drawLine(QPointF(15, 7), QPointF(18, 10));
                    p.drawLine(QPointF(15, 13), QPointF(18, 10));
                  }),
                  folder, QStringLiteral("glyph-exit.png"));
  // A tick: apply, change.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Stroke(green, 3));
                    p.drawPolyline(QPolygonF({QPointF(3, 10), QPointF(8, 15), QPointF(17, 4)}));
                  }),
                  folder, QStringLiteral("glyph-ok.png"));
  // A plus: add.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Stroke(blue, 3.2));
                    p.drawLine(QPointF(10, 3), QPointF(10, 17));
                    p.drawLine(QPointF(3, 10), QPointF(17, 10));
                  }),
                  folder, QStringLiteral("glyph-add.png"));
  // An arrow turning back: return to the login.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Stroke(blue, 2.2));
                    p.setBrush(Qt::NoBrush);
                    QPainterPath path;
                    path.moveTo(5, 8);
                    path.lineTo(13, 8);
                    path.cubicTo(19, 8, 19, 17, 13, 17);
                    path.lineTo(7, 17);
                    p.drawPath(path);
                    p.drawLine(QPointF(5, 8), QPointF(8.5, 4.5));
                    p.drawLine(QPointF(5, 8), QPointF(8.5, 11.5));
                  }),
                  folder, QStringLiteral("glyph-back.png"));
  // An "i" in a circle: about.
  ok = ok && Save(Glyph([&](QPainter& p) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(blue);
                    p.drawEllipse(QPointF(10, 10), 8.5, 8.5);
                    p.setBrush(Qt::white);
                    p.drawEllipse(QPointF(10, 5.8), 1.6, 1.6);
                    p.drawRoundedRect(QRectF(8.6, 8.4, 2.8, 7.4), 1, 1);
                  }),
                  folder, QStringLiteral("glyph-about.png"));
  return ok ? 0 : 1;
}
