// Draws the program's icons (toolbar, status bar, panes, dialogs) as PNGs with
// QPainter, so the artwork stays ours and can be regenerated at any size.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// One palette for the whole set, so the icons read as a family.
const QColor Ink(0x2b, 0x3a, 0x4a);
const QColor Blue(0x2f, 0x6f, 0xb3);
const QColor LightBlue(0xa9, 0xcc, 0xef);
const QColor Green(0x2e, 0x8b, 0x47);
const QColor LightGreen(0xbf, 0xe6, 0xc6);
const QColor Red(0xc8, 0x3a, 0x32);
const QColor Amber(0xe8, 0xa2, 0x1a);
const QColor Folder(0xf4, 0xc8, 0x5a);
const QColor FolderDark(0xd9, 0xa0, 0x2c);
const QColor Grey(0x8a, 0x96, 0xa3);
const QColor LightGrey(0xdd, 0xe3, 0xe9);
const QColor Paper(0xff, 0xff, 0xff);
const QColor Teal(0x1f, 0x9a, 0x9a);

// Icons are drawn on a 32-unit square whatever the pixel size.
using Artwork = std::function<void(QPainter&)>;

QPen pen(const QColor& c, qreal w = 1.5)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter& p, QRectF r, const QColor& fill = Paper)
{
    // A sheet with a folded top-right corner.
    const qreal f = 6;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - f, r.top());
    path.lineTo(r.right(), r.top() + f);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(Ink, 1.25));
    p.setBrush(fill);
    p.drawPath(path);
    QPainterPath fold;
    fold.moveTo(r.right() - f, r.top());
    fold.lineTo(r.right() - f, r.top() + f);
    fold.lineTo(r.right(), r.top() + f);
    p.setBrush(LightGrey);
    p.drawPath(fold);
}

void textLines(QPainter& p, qreal x0, qreal x1, qreal y0, int n, qreal gap = 3.5)
{
    p.setPen(pen(Grey, 1.25));
    for (int i = 0; i < n; ++i) {
        const qreal right = (i % 3 == 2) ? x0 + (x1 - x0) * 0.6 : x1;
        p.drawLine(QPointF(x0, y0 + i * gap), QPointF(right, y0 + i * gap));
    }
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& c, qreal w = 3.0, qreal head = 5.0)
{
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const QPointF back = to - QPointF(std::cos(angle), std::sin(angle)) * head * 0.9;
    p.setPen(pen(c, w));
    p.drawLine(from, back);
    QPainterPath h;
    h.moveTo(to);
    h.lineTo(to - QPointF(std::cos(angle - 0.6), std::sin(angle - 0.6)) * head * 1.5);
    h.lineTo(to - QPointF(std::cos(angle + 0.6), std::sin(angle + 0.6)) * head * 1.5);
    h.closeSubpath();
    p.setPen(pen(c, 1.0));
    p.setBrush(c);
    p.drawPath(h);
}

void folder(QPainter& p, QRectF r, bool open)
{
    QPainterPath back;
    back.moveTo(r.left(), r.top() + 3);
    back.lineTo(r.left() + 2, r.top());
    back.lineTo(r.left() + 10, r.top());
    back.lineTo(r.left() + 12, r.top() + 3);
    back.lineTo(r.right(), r.top() + 3);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.setPen(pen(Ink, 1.25));
    p.setBrush(FolderDark);
    p.drawPath(back);
    QPainterPath front;
    if (open) {
        front.moveTo(r.left() + 4, r.top() + 8);
        front.lineTo(r.right() + 2, r.top() + 8);
        front.lineTo(r.right() - 2, r.bottom());
        front.lineTo(r.left(), r.bottom());
        front.closeSubpath();
    } else {
        front.addRect(QRectF(r.left(), r.top() + 6, r.width(), r.height() - 6));
    }
    p.setBrush(Folder);
    p.drawPath(front);
}

// The data logger itself: a rounded case with a small display.
void logger(QPainter& p, QRectF r, const QColor& body = Teal)
{
    p.setPen(pen(Ink, 1.25));
    p.setBrush(body);
    p.drawRoundedRect(r, 3, 3);
    const QRectF screen(r.left() + 2.5, r.top() + 2.5, r.width() - 5, r.height() * 0.45);
    p.setBrush(QColor(0xe9, 0xf7, 0xef));
    p.drawRoundedRect(screen, 1, 1);
    p.setPen(pen(Red, 1.25));
    QPainterPath curve;
    curve.moveTo(screen.left() + 1, screen.bottom() - 2);
    curve.cubicTo(screen.left() + screen.width() * 0.35, screen.top(),
                  screen.left() + screen.width() * 0.6, screen.bottom(),
                  screen.right() - 1, screen.top() + 2);
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

void clock(QPainter& p, QPointF c, qreal radius)
{
    p.setPen(pen(Ink, 1.5));
    p.setBrush(Paper);
    p.drawEllipse(c, radius, radius);
    p.setPen(pen(Grey, 1.0));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        const qreal r0 = radius * (i % 3 == 0 ? 0.72 : 0.82);
        p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * r0, c + QPointF(std::cos(a), std::sin(a)) * radius * 0.92);
    }
    p.setPen(pen(Ink, 2.0));
    p.drawLine(c, c + QPointF(0, -radius * 0.62));
    p.setPen(pen(Blue, 1.75));
    p.drawLine(c, c + QPointF(radius * 0.5, radius * 0.2));
    p.setPen(Qt::NoPen);
    p.setBrush(Red);
    p.drawEllipse(c, 1.4, 1.4);
}

void magnifier(QPainter& p, QPointF c, qreal radius, const QColor& handle = Ink)
{
    const qreal a = M_PI / 4;
    p.setPen(pen(handle, 3.5));
    p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * radius, c + QPointF(std::cos(a), std::sin(a)) * (radius * 2.2));
    p.setPen(pen(Ink, 2.0));
    QRadialGradient glass(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    glass.setColorAt(0, QColor(0xf2, 0xf9, 0xff, 230));
    glass.setColorAt(1, QColor(0xa9, 0xcc, 0xef, 230));
    p.setBrush(glass);
    p.drawEllipse(c, radius, radius);
}

void thermometer(QPainter& p, qreal x, qreal top, qreal bottom, const QColor& fluid)
{
    const qreal w = 5;
    QPainterPath tube;
    tube.addRoundedRect(QRectF(x - w / 2, top, w, bottom - top - 4), w / 2, w / 2);
    QPainterPath bulb;
    bulb.addEllipse(QPointF(x, bottom - 4), 5, 5);
    p.setPen(pen(Ink, 1.25));
    p.setBrush(Paper);
    p.drawPath(tube.united(bulb));
    p.setPen(Qt::NoPen);
    p.setBrush(fluid);
    p.drawEllipse(QPointF(x, bottom - 4), 3.2, 3.2);
    p.drawRect(QRectF(x - 1.2, top + (bottom - top) * 0.35, 2.4, (bottom - top) * 0.55));
}

void droplet(QPainter& p, QPointF tip, qreal height, const QColor& fill)
{
    const qreal r = height * 0.36;
    const QPointF c(tip.x(), tip.y() + height - r);
    QPainterPath d;
    d.moveTo(tip);
    d.cubicTo(QPointF(tip.x() + r * 0.3, tip.y() + height * 0.3), QPointF(c.x() + r, c.y() - r * 0.6), QPointF(c.x() + r, c.y()));
    d.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 0, -180);
    d.cubicTo(QPointF(c.x() - r, c.y() - r * 0.6), QPointF(tip.x() - r * 0.3, tip.y() + height * 0.3), tip);
    p.setPen(pen(Ink, 1.25));
    p.setBrush(fill);
    p.drawPath(d);
    p.setPen(pen(QColor(255, 255, 255, 180), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r * 0.6, c.y() - r * 0.6, r * 1.2, r * 1.2), 150 * 16, 60 * 16);
}

void gear(QPainter& p, QPointF c, qreal outer, qreal inner, int teeth, const QColor& fill)
{
    QPainterPath g;
    const int n = teeth * 4;
    for (int i = 0; i < n; ++i) {
        const qreal a = (i - 0.5) * 2 * M_PI / n;
        const qreal r = (i % 4 < 2) ? outer : outer * 0.78;
        const QPointF pt = c + QPointF(std::cos(a), std::sin(a)) * r;
        if (i == 0)
            g.moveTo(pt);
        else
            g.lineTo(pt);
    }
    g.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, inner, inner);
    p.setPen(pen(Ink, 1.25));
    p.setBrush(fill);
    p.drawPath(g.subtracted(hole));
}

// A plug whose pins point right, its cable leaving to the left; pin tips at tip.
void plug(QPainter& p, QPointF tip, const QColor& body)
{
    const QRectF box(tip.x() - 14, tip.y() - 6, 9, 12);
    p.setPen(pen(Ink, 2.5));
    p.drawLine(QPointF(box.left() - 5, tip.y()), QPointF(box.left(), tip.y()));
    p.setPen(pen(Ink, 1.25));
    p.setBrush(body);
    p.drawRoundedRect(box, 2, 2);
    p.setPen(pen(Ink, 2.0));
    p.drawLine(QPointF(box.right(), tip.y() - 3), QPointF(tip.x(), tip.y() - 3));
    p.drawLine(QPointF(box.right(), tip.y() + 3), QPointF(tip.x(), tip.y() + 3));
}

// The matching socket, its face at face.x() and its cable leaving to the right.
void socket(QPainter& p, QPointF face, const QColor& body)
{
    const QRectF box(face.x(), face.y() - 7, 9, 14);
    p.setPen(pen(Ink, 2.5));
    p.drawLine(QPointF(box.right(), face.y()), QPointF(box.right() + 5, face.y()));
    p.setPen(pen(Ink, 1.25));
    p.setBrush(body);
    p.drawRoundedRect(box, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawRect(QRectF(face.x() + 0.6, face.y() - 3.9, 2.2, 1.8));
    p.drawRect(QRectF(face.x() + 0.6, face.y() + 2.1, 2.2, 1.8));
}

void roundBadge(QPainter& p, const QColor& fill)
{
    QRadialGradient g(QPointF(12, 10), 18);
    g.setColorAt(0, fill.lighter(135));
    g.setColorAt(1, fill);
    p.setPen(pen(fill.darker(140), 1.25));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 13.5, 13.5);
}

void letter(QPainter& p, const QString& text, QRectF box, const QColor& color, qreal pixelSize, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(pixelSize));
    f.setBold(bold);
    p.setFont(f);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void check(QPainter& p, const QColor& c, qreal w)
{
    QPainterPath path;
    path.moveTo(6, 17);
    path.lineTo(13, 24);
    path.lineTo(26, 8);
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void cross(QPainter& p, QRectF r, const QColor& c, qreal w)
{
    p.setPen(pen(c, w));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void calendar(QPainter& p, QRectF r)
{
    p.setPen(pen(Ink, 1.25));
    p.setBrush(Paper);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(Red);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Grey);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(r.left() + 2.5 + col * (r.width() - 4) / 4, r.top() + 8 + row * 4.5, 2.5, 2.5));
    p.setPen(pen(Ink, 2.0));
    p.drawLine(QPointF(r.left() + 5, r.top() - 2), QPointF(r.left() + 5, r.top() + 2.5));
    p.drawLine(QPointF(r.right() - 5, r.top() - 2), QPointF(r.right() - 5, r.top() + 2.5));
}

void chartPage(QPainter& p, bool selected)
{
    page(p, QRectF(6, 3, 20, 26), selected ? QColor(0xdc, 0xeb, 0xfb) : Paper);
    p.setPen(pen(Grey, 1.0));
    p.drawLine(QPointF(9, 25), QPointF(23, 25));
    p.drawLine(QPointF(9, 12), QPointF(9, 25));
    p.setPen(pen(selected ? Blue : Red, 1.75));
    QPainterPath c;
    c.moveTo(10, 22);
    c.cubicTo(13, 12, 16, 24, 22, 14);
    p.setBrush(Qt::NoBrush);
    p.drawPath(c);
}

// Scales the drawing about the centre, for artwork drawn smaller than the square.
void enlarge(QPainter& p, qreal factor)
{
    p.translate(16, 16);
    p.scale(factor, factor);
    p.translate(-16, -16);
}

// The program's own icon: a logger with its display and buttons.
void programIcon(QPainter& p)
{
    logger(p, QRectF(3, 4, 26, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(10 + i * 6, 23), 1.6, 1.6);
}

struct Icon {
    const char* name;
    int size;
    Artwork draw;
};

std::vector<Icon> icons()
{
    return {
        {"tessaview", 64, programIcon},
        {"open", 32, [](QPainter& p) { folder(p, QRectF(3, 7, 24, 19), true); }},
        {"saveas", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(Blue);
             QPainterPath disk;
             disk.moveTo(4, 4);
             disk.lineTo(24, 4);
             disk.lineTo(28, 8);
             disk.lineTo(28, 28);
             disk.lineTo(4, 28);
             disk.closeSubpath();
             p.drawPath(disk);
             p.setBrush(LightGrey);
             p.drawRect(QRectF(9, 4, 13, 8));
             p.setBrush(Ink);
             p.drawRect(QRectF(17, 5.5, 3, 5));
             p.setBrush(Paper);
             p.drawRect(QRectF(8, 16, 16, 12));
             textLines(p, 10, 22, 19.5, 3, 3);
         }},
        {"print", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(Paper);
             p.drawRect(QRectF(9, 3, 14, 10));
             p.setBrush(LightGrey);
             p.drawRoundedRect(QRectF(3, 11, 26, 12), 2.5, 2.5);
             p.setBrush(Green);
             p.drawEllipse(QPointF(24.5, 15), 1.3, 1.3);
             p.setBrush(Paper);
             p.drawRect(QRectF(8, 19, 16, 10));
             textLines(p, 10.5, 21.5, 22.5, 2, 3);
         }},
        {"preview", 32, [](QPainter& p) {
             page(p, QRectF(4, 3, 19, 25));
             textLines(p, 7, 19, 9, 5, 3.5);
             magnifier(p, QPointF(19, 19), 6);
         }},
        {"excel", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(Paper);
             p.drawRect(QRectF(4, 5, 24, 22));
             p.setPen(Qt::NoPen);
             p.setBrush(Green);
             p.drawRect(QRectF(4.6, 5.6, 22.8, 5));
             p.setBrush(LightGreen);
             p.drawRect(QRectF(4.6, 10.6, 6, 15.8));
             p.setPen(pen(Green, 1.0));
             for (int i = 1; i < 4; ++i)
                 p.drawLine(QPointF(4.6, 10.6 + i * 4), QPointF(27.4, 10.6 + i * 4));
             for (qreal x : {10.6, 16.3, 22.0})
                 p.drawLine(QPointF(x, 5.6), QPointF(x, 26.4));
         }},
        {"txt", 32, [](QPainter& p) {
             page(p, QRectF(6, 3, 20, 26));
             textLines(p, 9, 22, 11, 5, 3.5);
             p.setPen(Qt::NoPen);
             p.setBrush(Blue);
             p.drawRoundedRect(QRectF(3, 4, 13, 7), 1.5, 1.5);
             letter(p, QStringLiteral("TXT"), QRectF(3, 4, 13, 7), Paper, 6);
         }},
        {"bmp", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(QColor(0xdc, 0xef, 0xfb));
             p.drawRect(QRectF(3, 6, 26, 20));
             p.setPen(Qt::NoPen);
             p.setBrush(Amber);
             p.drawEllipse(QPointF(22, 11.5), 2.8, 2.8);
             QPainterPath hills;
             hills.moveTo(3.6, 25.4);
             hills.lineTo(11, 14);
             hills.lineTo(16, 20);
             hills.lineTo(19, 17);
             hills.lineTo(28.4, 25.4);
             hills.closeSubpath();
             p.setBrush(Green);
             p.drawPath(hills);
         }},
        {"connect", 32, [](QPainter& p) {
             enlarge(p, 1.3);
             plug(p, QPointF(18, 18), LightGreen);
             socket(p, QPointF(16, 18), LightGreen);
             p.setPen(pen(Green.darker(120), 1.0));
             p.setBrush(QColor(0x4c, 0xb8, 0x63));
             p.drawEllipse(QPointF(16, 7.5), 2.6, 2.6);
         }},
        {"disconnect", 32, [](QPainter& p) {
             enlarge(p, 1.3);
             plug(p, QPointF(14, 18), LightGrey);
             socket(p, QPointF(19, 18), LightGrey);
             p.setPen(pen(Red, 1.75));
             p.drawLine(QPointF(16.5, 6), QPointF(16.5, 9.5));
             p.drawLine(QPointF(12.5, 7), QPointF(14, 10));
             p.drawLine(QPointF(20.5, 7), QPointF(19, 10));
         }},
        {"setup", 32, [](QPainter& p) {
             gear(p, QPointF(16, 16), 13, 4.5, 8, Grey);
             p.setPen(Qt::NoPen);
             p.setBrush(Blue);
             p.drawEllipse(QPointF(16, 16), 2.2, 2.2);
         }},
        {"download", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(LightGrey);
             QPainterPath tray;
             tray.moveTo(3, 20);
             tray.lineTo(9, 20);
             tray.lineTo(11, 24);
             tray.lineTo(21, 24);
             tray.lineTo(23, 20);
             tray.lineTo(29, 20);
             tray.lineTo(29, 28);
             tray.lineTo(3, 28);
             tray.closeSubpath();
             p.drawPath(tray);
             arrow(p, QPointF(16, 3), QPointF(16, 21), Blue, 4, 4.5);
         }},
        {"delete", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(LightGrey);
             QPainterPath bin;
             bin.moveTo(8, 9);
             bin.lineTo(24, 9);
             bin.lineTo(22.5, 28);
             bin.lineTo(9.5, 28);
             bin.closeSubpath();
             p.drawPath(bin);
             p.setBrush(Grey);
             p.drawRoundedRect(QRectF(5, 6, 22, 3.5), 1, 1);
             p.drawRect(QRectF(13, 3.5, 6, 2.5));
             p.setPen(pen(Red, 2.5));
             p.drawLine(QPointF(12, 14), QPointF(20, 23));
             p.drawLine(QPointF(20, 14), QPointF(12, 23));
         }},
        {"filelist", 32, [](QPainter& p) {
             folder(p, QRectF(3, 3, 14, 10), false);
             p.setPen(pen(Ink, 1.25));
             p.drawLine(QPointF(8, 13), QPointF(8, 25));
             p.drawLine(QPointF(8, 18), QPointF(14, 18));
             p.drawLine(QPointF(8, 25), QPointF(14, 25));
             for (qreal y : {18.0, 25.0}) {
                 p.setPen(pen(Ink, 1.0));
                 p.setBrush(Paper);
                 p.drawRect(QRectF(14, y - 3, 5, 6));
                 p.setPen(pen(Grey, 1.5));
                 p.drawLine(QPointF(21, y), QPointF(29, y));
             }
         }},
        {"datalist", 32, [](QPainter& p) {
             p.setPen(pen(Ink, 1.25));
             p.setBrush(Paper);
             p.drawRect(QRectF(3, 5, 26, 22));
             p.setPen(Qt::NoPen);
             p.setBrush(Blue);
             p.drawRect(QRectF(3.6, 5.6, 24.8, 5));
             p.setBrush(QColor(0xe8, 0xf1, 0xfb));
             p.drawRect(QRectF(3.6, 15.6, 24.8, 5));
             p.setPen(pen(LightBlue, 1.0));
             for (int i = 1; i < 4; ++i)
                 p.drawLine(QPointF(3.6, 10.6 + i * 5), QPointF(28.4, 10.6 + i * 5));
             for (qreal x : {9.0, 17.0})
                 p.drawLine(QPointF(x, 10.6), QPointF(x, 26.4));
         }},
        {"query", 32, [](QPainter& p) {
             calendar(p, QRectF(3, 6, 20, 20));
             magnifier(p, QPointF(20, 19), 5.5);
         }},
        {"about", 32, [](QPainter& p) {
             roundBadge(p, Blue);
             p.setPen(Qt::NoPen);
             p.setBrush(Paper);
             p.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
             p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.2, 1.2);
         }},
        {"help", 32, [](QPainter& p) {
             roundBadge(p, Green);
             letter(p, QStringLiteral("?"), QRectF(2, 2, 28, 28), Paper, 21);
         }},
        {"ok", 32, [](QPainter& p) {
             check(p, Green.darker(130), 5.5);
             check(p, QColor(0x4c, 0xb8, 0x63), 3.5);
         }},
        {"cancel", 32, [](QPainter& p) {
             cross(p, QRectF(7, 7, 18, 18), Red.darker(130), 5.5);
             cross(p, QRectF(7, 7, 18, 18), QColor(0xe0, 0x55, 0x4b), 3.5);
         }},
        {"read-setup", 32, [](QPainter& p) {
             logger(p, QRectF(3, 3, 15, 20));
             page(p, QRectF(16, 12, 13, 17));
             textLines(p, 18.5, 26, 19, 3, 3);
             arrow(p, QPointF(10, 24), QPointF(15, 29), Blue, 2.25, 3);
         }},
        {"write-setup", 32, [](QPainter& p) {
             page(p, QRectF(3, 3, 13, 17));
             textLines(p, 5.5, 13, 10, 3, 3);
             logger(p, QRectF(14, 9, 15, 20));
             arrow(p, QPointF(8, 22), QPointF(13, 27), Red, 2.25, 3);
         }},
        {"set-clock", 32, [](QPainter& p) {
             clock(p, QPointF(16, 17), 12.5);
             p.setPen(pen(Ink, 1.5));
             p.setBrush(Grey);
             p.drawRoundedRect(QRectF(13, 1.5, 6, 3), 1, 1);
         }},
        {"query-button", 32, [](QPainter& p) { magnifier(p, QPointF(13, 13), 8.5); }},
        {"tree-root", 32, [](QPainter& p) {
             logger(p, QRectF(5, 4, 22, 24));
         }},
        {"tree-group", 32, [](QPainter& p) { folder(p, QRectF(3, 6, 26, 20), false); }},
        {"tree-file", 32, [](QPainter& p) { chartPage(p, false); }},
        {"tree-file-selected", 32, [](QPainter& p) { chartPage(p, true); }},
        {"status-link", 32, [](QPainter& p) {
             enlarge(p, 1.4);
             plug(p, QPointF(18, 16), LightGreen);
             socket(p, QPointF(16, 16), LightGreen);
         }},
        {"status-clock", 32, [](QPainter& p) { clock(p, QPointF(16, 16), 13); }},
        {"status-ch1", 32, [](QPainter& p) { thermometer(p, 16, 3, 29, Red); }},
        {"status-ch2", 32, [](QPainter& p) { droplet(p, QPointF(16, 3), 26, Blue); }},
        {"status-ch3", 32, [](QPainter& p) {
             droplet(p, QPointF(13, 5), 22, QColor(0x40, 0x40, 0x40));
             thermometer(p, 24, 8, 29, QColor(0x20, 0x20, 0x20));
         }},
    };
}

// The desktop's icons: the program's own and that of its log files, at the
// sizes of the hicolor theme.
const int ThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

std::vector<Icon> themeIcons()
{
    return {
        {"apps/tessaview", 0, programIcon},
        {"mimetypes/application-x-tessaview-log", 0, [](QPainter& p) {
             // A log: a charted page with a small logger in front of it.
             chartPage(p, false);
             logger(p, QRectF(17, 18, 13, 12));
         }},
    };
}

QImage render(const Icon& icon, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    icon.draw(p);
    p.end();
    return image;
}

// Writes <theme>/<N>x<N>/<category>/<name>.png for every theme size.
int writeTheme(const QString& theme)
{
    for (const Icon& icon : themeIcons()) {
        for (int size : ThemeSizes) {
            const QString path = QStringLiteral("%1/%2x%2/%3.png").arg(theme).arg(size).arg(QString::fromLatin1(icon.name));
            if (!QDir().mkpath(QFileInfo(path).path()) || !render(icon, size).save(path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--hicolor"))
        return writeTheme(args[2]);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tessaview-icongen OUTPUT_FOLDER\n"
                             "       tessaview-icongen --hicolor THEME_FOLDER\n");
        return 2;
    }
    QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[1]));
        return 1;
    }
    for (const Icon& icon : icons()) {
        const QString path = out.filePath(QString::fromLatin1(icon.name) + QStringLiteral(".png"));
        if (!render(icon, icon.size).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
