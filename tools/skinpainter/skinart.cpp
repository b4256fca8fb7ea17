// Draws the skin, logo, tabs, panels, header strip, button strips, row icons, drag pointer and app icon.
#include "skinart.h"

#include "svgrecorder.h"

#include <array>
#include <functional>

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace skinart {
namespace {

// The window's layout is given in twips, 15 to a pixel; a place converts to the nearest pixel.
constexpr int px(int twips)
{
    return (twips * 2 + 15) / 30;
}

namespace place {
constexpr QSize window(680, 580);
constexpr QPoint btMin(px(9340), 0);
constexpr QPoint btClose(px(9760), 0);
constexpr QPoint logo(px(7920), px(420));
constexpr QPoint btOpenFolder(px(2640), px(460));
constexpr QPoint btOpenFiles(px(4680), px(460));
constexpr QPoint btDIY(px(600), px(1200));
constexpr QPoint btReplace(px(1800), px(1200));
constexpr QPoint plan(px(600), px(1470));
constexpr QPoint header(px(240), px(3720));
constexpr QSize headerShown(px(8985), px(270));
constexpr QRect list(px(240), px(3960), px(9015), px(3855));
constexpr std::array<QPoint, 4> btSelect { QPoint(px(9360), px(4080)), QPoint(px(9360), px(4920)),
    QPoint(px(9360), px(5760)), QPoint(px(9360), px(6600)) };
constexpr QPoint btReName(px(7080), px(7920));
constexpr QPoint btCallBack(px(8400), px(7920));
// While a pass runs, the tip line gives way to its caption, a progress bar and a cancel button, all on the
// line of 开始更名 and ending before it.
constexpr QPoint progress(196, 532);
constexpr QSize progressSize(208, 14);
constexpr QPoint btCancel(412, 528);
// Tops of the four step captions, all at the left margin.
constexpr int captionLeft = px(240);
constexpr std::array<int, 4> captionTops { px(540), px(940), px(3120), px(3480) };
// The list's column edges, as fractions of its width (old name 45 %, URL 0 %, new name 38 %).
constexpr qreal firstColumnEnd = 0.45;
constexpr qreal thirdColumnEnd = 0.45 + 0.38;
} // namespace place

namespace colour {
const QColor base(237, 238, 240); // the window's surface, also the option buttons' back colour
const QColor panelDiy(237, 238, 240);
const QColor panelReplace(255, 255, 255);
const QColor frame(118, 132, 152);
const QColor line(186, 195, 208); // borders of panels, list, tabs
const QColor bandTop(228, 234, 242);
const QColor bandBottom(214, 223, 235);
const QColor bandLine(186, 198, 214);
const QColor bottomBand(229, 232, 237);
const QColor blue(63, 112, 172); // the list header's captions; glyphs
const QColor accent(215, 135, 2); // the step captions; the primary button
const QColor ink(38, 46, 58);
const QColor inkMuted(146, 152, 160);
const QColor leafLight(124, 192, 92);
const QColor leafDark(56, 140, 66);
const QColor okGreen(70, 160, 78);
const QColor failRed(212, 56, 48);
const QColor checkBlue(36, 108, 200);
} // namespace colour

QFont cjkFont(int pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font;
    font.setFamilies({ u"Noto Sans CJK SC"_s, u"Noto Sans CJK"_s });
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Baseline that centres a line of CJK text vertically in a box: the ideographs fill the em box, which
// runs from 0.88 em above the baseline to 0.12 em below it.
int centredBaseline(const QFont& font, int top, int height)
{
    return top + qRound((height + 0.76 * font.pixelSize()) / 2.0);
}

void drawTextAt(QPainter& p, QPoint baselineStart, const QString& text, const QFont& font, const QColor& colour)
{
    p.setFont(font);
    p.setPen(colour);
    p.drawText(baselineStart, text);
}

// The density the pictures are being drawn for: 1 for the ordinary pictures, 2 for the "@2x" ones. Every
// drawing below is in the window's logical pixels; the canvas turns them into device pixels.
qreal g_scale = 1;

QImage newCanvas(QSize size, bool transparent)
{
    QImage image(size * g_scale, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setDevicePixelRatio(g_scale);
    image.fill(transparent ? QColor(Qt::transparent) : colour::base);
    return image;
}

// A picture's size in logical pixels.
QSize logical(const QImage& image)
{
    return image.deviceIndependentSize().toSize();
}

void prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& from, const QColor& to)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// The sprout: a stem with a small leaf to the left and a larger one to the right, in a square box.
void drawSprout(QPainter& p, const QRectF& box, const QColor& light, const QColor& dark, bool flat = false)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width(), box.height());

    QPainterPath right;
    right.moveTo(0.50, 0.56);
    right.cubicTo(0.47, 0.30, 0.68, 0.10, 0.95, 0.08);
    right.cubicTo(0.95, 0.36, 0.76, 0.56, 0.50, 0.56);
    QPainterPath left;
    left.moveTo(0.49, 0.66);
    left.cubicTo(0.28, 0.68, 0.08, 0.56, 0.05, 0.34);
    left.cubicTo(0.29, 0.30, 0.47, 0.44, 0.49, 0.66);

    QPainterPath stem;
    stem.moveTo(0.50, 0.97);
    stem.cubicTo(0.47, 0.82, 0.47, 0.68, 0.51, 0.54);

    p.setPen(QPen(dark, 0.085, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.setPen(Qt::NoPen);
    if (flat) {
        p.setBrush(light);
    } else {
        QLinearGradient g(0.95, 0.08, 0.5, 0.56);
        g.setColorAt(0, light);
        g.setColorAt(1, dark);
        p.setBrush(g);
    }
    p.drawPath(right);
    if (!flat) {
        QLinearGradient g(0.05, 0.34, 0.49, 0.66);
        g.setColorAt(0, light);
        g.setColorAt(1, dark);
        p.setBrush(g);
    }
    p.drawPath(left);
    p.restore();
}

// ---- the skin ----------------------------------------------------------------------------------------

void drawHeaderStrip(QPainter& p, const QRect& r, int listWidth)
{
    p.fillRect(r, vertical(r.top(), r.bottom() + 1, QColor(252, 253, 255), QColor(231, 236, 243)));
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), QColor(196, 205, 218));
    // Faint column edges above where the list's columns meet.
    for (qreal edge : { place::firstColumnEnd, place::thirdColumnEnd }) {
        const int x = r.left() + qRound(edge * listWidth) - 1;
        p.fillRect(QRect(x, r.top() + 4, 1, r.height() - 8), QColor(204, 212, 224));
        p.fillRect(QRect(x + 1, r.top() + 4, 1, r.height() - 8), QColor(255, 255, 255));
    }
}

QImage paintBackground()
{
    QImage image = newCanvas(place::window, false);
    QPainter p(&image);
    prepare(p);
    const int w = place::window.width();
    const int h = place::window.height();

    // Title band with the program's name.
    constexpr int bandHeight = 24;
    p.fillRect(QRect(0, 0, w, bandHeight), vertical(0, bandHeight, colour::bandTop, colour::bandBottom));
    p.fillRect(QRect(0, bandHeight, w, 1), colour::bandLine);
    p.fillRect(QRect(0, bandHeight + 1, w, 1), QColor(246, 247, 249));
    drawSprout(p, QRectF(9, 4, 16, 16), colour::leafLight, colour::leafDark);
    const QFont title = cjkFont(12, QFont::Bold);
    drawTextAt(p, QPoint(30, centredBaseline(title, 0, bandHeight)), u"青禾更名器"_s, title, QColor(44, 66, 96));

    // A small accent before each step caption.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::accent);
    for (int top : place::captionTops)
        p.drawRoundedRect(QRectF(place::captionLeft - 7, top + 1, 3, 11), 1.5, 1.5);

    // A soft shadow under the plan panel.
    const QRect planRect(place::plan, QSize(609, 98));
    p.fillRect(QRect(planRect.left() + 1, planRect.bottom() + 1, planRect.width(), 1), QColor(0, 20, 50, 22));
    p.fillRect(QRect(planRect.right() + 1, planRect.top() + 1, 1, planRect.height()), QColor(0, 20, 50, 22));

    // The list: a frame around header strip and list, and the header's look behind the strip's picture.
    const QRect list = place::list;
    const QRect header(place::header, QSize(list.width(), 18));
    drawHeaderStrip(p, header, list.width());
    p.fillRect(list, Qt::white);
    p.setPen(colour::line);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(header.left() - 0.5, header.top() - 0.5, list.width() + 1, list.bottom() - header.top() + 2));

    // Bottom band: tip, rename and restore buttons, credit.
    const int bandTop = list.bottom() + 4;
    p.fillRect(QRect(0, bandTop, w, 1), QColor(206, 212, 221));
    p.fillRect(QRect(0, bandTop + 1, w, 1), QColor(249, 250, 251));
    p.fillRect(QRect(0, bandTop + 2, w, h - bandTop - 2), colour::bottomBand);

    // The window's edge: a darker outer line and a light inner one.
    p.setPen(colour::frame);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    p.setPen(QColor(255, 255, 255, 120));
    p.drawRect(QRectF(1.5, 1.5, w - 3, h - 3));
    return image;
}

// ---- pictures placed on the skin ---------------------------------------------------------------------

QImage cut(const QImage& skin, QPoint at, QSize size)
{
    QImage part = skin.copy(QRect(at * g_scale, size * g_scale));
    part.setDevicePixelRatio(g_scale);
    return part;
}

QImage paintLogo(const QImage& skin)
{
    QImage image = cut(skin, place::logo, QSize(120, 40));
    QPainter p(&image);
    prepare(p);
    drawSprout(p, QRectF(2, 4, 32, 32), colour::leafLight, colour::leafDark);
    const QFont font = cjkFont(16, QFont::Bold);
    const int baseline = centredBaseline(font, 0, 40) + 1;
    p.setFont(font);
    QFontMetrics fm(font);
    p.setPen(colour::leafDark.darker(115));
    p.drawText(QPoint(38, baseline), u"青禾"_s);
    p.setPen(QColor(50, 70, 98));
    p.drawText(QPoint(38 + fm.horizontalAdvance(u"青禾"_s), baseline), u"更名器"_s);
    return image;
}

void drawDiscMark(QPainter& p, const QRectF& disc, const QColor& top, const QColor& bottom)
{
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(disc.top(), disc.bottom(), top, bottom));
    p.drawEllipse(disc);
    const qreal s = disc.width();
    QPainterPath check;
    check.moveTo(disc.left() + 0.27 * s, disc.top() + 0.52 * s);
    check.lineTo(disc.left() + 0.44 * s, disc.top() + 0.68 * s);
    check.lineTo(disc.left() + 0.73 * s, disc.top() + 0.35 * s);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(check);
}

QImage paintTab(const QImage& skin, QPoint at, QSize size, const QString& text, bool chosen, const QColor& panel)
{
    QImage image = cut(skin, at, size);
    QPainter p(&image);
    prepare(p);
    const int w = size.width();
    const int h = size.height();
    if (chosen) {
        // A tab open at the bottom into the panel below it.
        p.setPen(colour::line);
        p.setBrush(panel);
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h + 4), 3, 3);
    } else {
        // Continue the panel's top edge.
        p.fillRect(QRect(0, h - 1, w, 1), colour::line);
    }
    const QFont font = cjkFont(12);
    const int disc = 13;
    const int content = disc + 5 + QFontMetrics(font).horizontalAdvance(text);
    const int left = (w - content) / 2;
    const int top = 1;
    const int inner = h - 2;
    if (chosen)
        drawDiscMark(
            p, QRectF(left, top + (inner - disc) / 2.0, disc, disc), QColor(104, 186, 92), QColor(54, 142, 62));
    else
        drawDiscMark(
            p, QRectF(left, top + (inner - disc) / 2.0, disc, disc), QColor(204, 208, 214), QColor(178, 184, 192));
    drawTextAt(p, QPoint(left + disc + 5, centredBaseline(font, top, inner)), text, font,
        chosen ? colour::ink : colour::inkMuted);
    return image;
}

QImage paintPanel(const QColor& fill)
{
    QImage image = newCanvas(QSize(609, 98), false);
    image.fill(fill);
    QPainter p(&image);
    prepare(p);
    p.setPen(colour::line);
    p.setBrush(Qt::NoBrush);
    const QSize size = logical(image);
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    p.setPen(QColor(255, 255, 255, 150));
    p.drawLine(QPointF(1.5, 1.5), QPointF(size.width() - 1.5, 1.5));
    return image;
}

QImage paintHeader()
{
    QImage image = newCanvas(QSize(680, 18), false);
    QPainter p(&image);
    drawHeaderStrip(p, QRect(QPoint(), logical(image)), place::list.width());
    return image;
}

// ---- button strips -----------------------------------------------------------------------------------

enum State { Normal, Over, Pressed, Disabled, Unused, StateCount };

struct Face {
    QColor top;
    QColor bottom;
    QColor border;
    QColor text;
    int highlight = 0; // alpha of the light line under the top edge
};

Face plainFace(int state)
{
    switch (state) {
    case Over:
        return { QColor(250, 252, 255), QColor(220, 232, 247), QColor(96, 138, 194), QColor(24, 52, 92), 200 };
    case Pressed:
        return { QColor(200, 214, 234), QColor(220, 230, 244), QColor(78, 116, 170), QColor(24, 52, 92), 0 };
    case Disabled:
        return { QColor(244, 245, 247), QColor(236, 238, 241), QColor(202, 207, 214), QColor(163, 168, 176), 0 };
    default:
        return { QColor(255, 255, 255), QColor(233, 237, 243), QColor(160, 172, 190), colour::ink, 220 };
    }
}

Face primaryFace(int state)
{
    switch (state) {
    case Over:
        return { QColor(246, 176, 56), QColor(224, 142, 8), QColor(178, 104, 0), Qt::white, 110 };
    case Pressed:
        return { QColor(190, 112, 0), QColor(212, 130, 4), QColor(150, 86, 0), Qt::white, 0 };
    case Disabled:
        return plainFace(Disabled);
    default:
        return { QColor(236, 158, 36), colour::accent, QColor(176, 104, 0), Qt::white, 90 };
    }
}

void drawFace(QPainter& p, QSize cell, const Face& face, qreal radius)
{
    const QRectF r(0.5, 0.5, cell.width() - 1, cell.height() - 1);
    p.setPen(face.border);
    p.setBrush(vertical(0, cell.height(), face.top, face.bottom));
    p.drawRoundedRect(r, radius, radius);
    if (face.highlight > 0) {
        p.setPen(QColor(255, 255, 255, face.highlight));
        p.drawLine(QPointF(radius, 1.5), QPointF(cell.width() - radius, 1.5));
    }
}

// Draws a small picture in a box; the state lets it grey out or darken.
using Glyph = std::function<void(QPainter&, const QRectF&, int state)>;

QImage stripOf(const QImage& cellBase, const std::function<void(QPainter&, int state)>& paintCell)
{
    const QSize cell = logical(cellBase);
    QImage strip = newCanvas(QSize(cell.width() * StateCount, cell.height()), false);
    QPainter sp(&strip);
    for (int state = 0; state < StateCount; ++state) {
        QImage one = cellBase;
        QPainter p(&one);
        prepare(p);
        paintCell(p, state == Unused ? Normal : state);
        p.end();
        sp.drawImage(state * cell.width(), 0, one);
    }
    return strip;
}

QImage paintTextButton(
    const QImage& skin, QPoint at, QSize cell, const QString& text, bool primary, const Glyph& glyph = {})
{
    return stripOf(cut(skin, at, cell), [&](QPainter& p, int state) {
        const Face face = primary ? primaryFace(state) : plainFace(state);
        drawFace(p, cell, face, 3);
        const QFont font = cjkFont(12, primary ? QFont::Bold : QFont::Normal);
        const int glyphSize = glyph ? 14 : 0;
        const int gap = glyph ? 4 : 0;
        const int content = glyphSize + gap + QFontMetrics(font).horizontalAdvance(text);
        const QPoint shift = state == Pressed ? QPoint(1, 1) : QPoint();
        const int left = (cell.width() - content) / 2 + shift.x();
        if (glyph)
            glyph(p, QRectF(left, (cell.height() - glyphSize) / 2 + shift.y(), glyphSize, glyphSize), state);
        if (primary && state != Disabled)
            drawTextAt(p, QPoint(left + glyphSize + gap, centredBaseline(font, 0, cell.height()) + shift.y() + 1), text,
                font, QColor(120, 60, 0, 90));
        drawTextAt(p, QPoint(left + glyphSize + gap, centredBaseline(font, 0, cell.height()) + shift.y()), text, font,
            face.text);
    });
}

QColor glyphColour(const QColor& normal, int state)
{
    switch (state) {
    case Over:
        return normal.lighter(112);
    case Pressed:
        return normal.darker(118);
    case Disabled:
        return QColor(176, 181, 189);
    default:
        return normal;
    }
}

void fileGlyph(QPainter& p, const QRectF& box, int state)
{
    const qreal x = box.left() + 1.5;
    const qreal y = box.top() + 0.5;
    QPainterPath page;
    page.moveTo(x, y);
    page.lineTo(x + 7, y);
    page.lineTo(x + 10, y + 3);
    page.lineTo(x + 10, y + 13);
    page.lineTo(x, y + 13);
    page.closeSubpath();
    p.setPen(glyphColour(QColor(92, 116, 150), state));
    p.setBrush(state == Disabled ? QColor(246, 247, 248) : QColor(Qt::white));
    p.drawPath(page);
    p.drawLine(QPointF(x + 7, y), QPointF(x + 7, y + 3));
    p.drawLine(QPointF(x + 7, y + 3), QPointF(x + 10, y + 3));
    const QColor plus = glyphColour(colour::okGreen, state);
    p.fillRect(QRectF(x + 2.5, y + 7.5, 6, 2), plus);
    p.fillRect(QRectF(x + 4.5, y + 5.5, 2, 6), plus);
}

void folderGlyph(QPainter& p, const QRectF& box, int state)
{
    const qreal x = box.left() + 0.5;
    const qreal y = box.top() + 2.5;
    QPainterPath back;
    back.moveTo(x, y + 10);
    back.lineTo(x, y);
    back.lineTo(x + 5, y);
    back.lineTo(x + 6.5, y + 1.5);
    back.lineTo(x + 13, y + 1.5);
    back.lineTo(x + 13, y + 10);
    back.closeSubpath();
    const bool off = state == Disabled;
    p.setPen(off ? QColor(186, 190, 196) : QColor(190, 138, 40));
    p.setBrush(off ? QColor(228, 230, 233) : QColor(242, 196, 92));
    p.drawPath(back);
    p.setBrush(off ? QColor(238, 239, 241) : QColor(250, 214, 120));
    p.drawRect(QRectF(x, y + 3.5, 13, 6.5));
}

QImage paintSquareButton(const QImage& skin, QPoint at, const Glyph& glyph, const QString& label)
{
    const QSize cell(40, 40);
    return stripOf(cut(skin, at, cell), [&](QPainter& p, int state) {
        drawFace(p, cell, plainFace(state), 4);
        const qreal shift = state == Pressed ? 1 : 0;
        glyph(p, QRectF(10 + shift, 2 + shift, 20, 20), state);
        const QFont font = cjkFont(11);
        const int left = (cell.width() - QFontMetrics(font).horizontalAdvance(label)) / 2;
        drawTextAt(p, QPoint(left + int(shift), 35 + int(shift)), label, font,
            state == Disabled ? QColor(170, 175, 183) : QColor(70, 84, 104));
    });
}

QPen glyphPen(const QColor& c, qreal width = 2.2)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void upGlyph(QPainter& p, const QRectF& b, int state)
{
    p.setPen(glyphPen(glyphColour(colour::blue, state)));
    p.setBrush(Qt::NoBrush);
    const qreal cx = b.center().x();
    p.drawLine(QPointF(cx, b.top() + 3), QPointF(cx, b.bottom() - 2));
    p.drawPolyline(QPolygonF({ QPointF(cx - 6, b.top() + 9), QPointF(cx, b.top() + 3), QPointF(cx + 6, b.top() + 9) }));
}

void downGlyph(QPainter& p, const QRectF& b, int state)
{
    p.setPen(glyphPen(glyphColour(colour::blue, state)));
    p.setBrush(Qt::NoBrush);
    const qreal cx = b.center().x();
    p.drawLine(QPointF(cx, b.top() + 2), QPointF(cx, b.bottom() - 3));
    p.drawPolyline(
        QPolygonF({ QPointF(cx - 6, b.bottom() - 9), QPointF(cx, b.bottom() - 3), QPointF(cx + 6, b.bottom() - 9) }));
}

void deleteGlyph(QPainter& p, const QRectF& b, int state)
{
    p.setPen(glyphPen(glyphColour(QColor(204, 70, 58), state)));
    const QPointF c = b.center();
    p.drawLine(c + QPointF(-5.5, -5.5), c + QPointF(5.5, 5.5));
    p.drawLine(c + QPointF(5.5, -5.5), c + QPointF(-5.5, 5.5));
}

void clearGlyph(QPainter& p, const QRectF& b, int state)
{
    const QColor c = glyphColour(QColor(84, 104, 134), state);
    p.setPen(glyphPen(c, 1.6));
    p.setBrush(Qt::NoBrush);
    const qreal cx = b.center().x();
    const qreal top = b.top() + 3.5;
    p.drawLine(QPointF(cx - 7.5, top + 2), QPointF(cx + 7.5, top + 2));
    p.drawPolyline(QPolygonF(
        { QPointF(cx - 2.5, top + 2), QPointF(cx - 2.5, top), QPointF(cx + 2.5, top), QPointF(cx + 2.5, top + 2) }));
    QPainterPath body;
    body.moveTo(cx - 6, top + 4.5);
    body.lineTo(cx - 5, top + 15);
    body.lineTo(cx + 5, top + 15);
    body.lineTo(cx + 6, top + 4.5);
    p.drawPath(body);
    p.setPen(glyphPen(c, 1.2));
    for (qreal dx : { -2.5, 0.0, 2.5 })
        p.drawLine(QPointF(cx + dx, top + 7), QPointF(cx + dx, top + 12.5));
}

QImage paintWindowButton(const QImage& skin, QPoint at, bool close)
{
    const QSize cell(23, 16);
    return stripOf(cut(skin, at, cell), [&](QPainter& p, int state) {
        const QRectF hot(1, 1, cell.width() - 2, cell.height() - 2);
        QColor glyph(64, 80, 104);
        if (state == Over || state == Pressed) {
            p.setPen(Qt::NoPen);
            if (close) {
                p.setBrush(state == Over ? QColor(222, 72, 60) : QColor(176, 44, 36));
                glyph = Qt::white;
            } else {
                p.setBrush(state == Over ? QColor(255, 255, 255, 170) : QColor(176, 192, 214));
                glyph = QColor(30, 50, 80);
            }
            p.drawRoundedRect(hot, 2, 2);
        } else if (state == Disabled) {
            glyph = QColor(166, 176, 190);
        }
        if (close) {
            p.setPen(QPen(glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 4.5), QPointF(15, 11.5));
            p.drawLine(QPointF(15, 4.5), QPointF(8, 11.5));
        } else {
            p.fillRect(QRect(7, 10, 9, 2), glyph);
        }
    });
}

// ---- progress bar ------------------------------------------------------------------------------------

// The empty bar: a sunken, rounded groove on the bottom band.
QImage paintProgressTrough(const QImage& skin)
{
    QImage image = cut(skin, place::progress, place::progressSize);
    QPainter p(&image);
    prepare(p);
    const QSize size = logical(image);
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    p.setPen(QColor(160, 172, 190));
    p.setBrush(vertical(0, size.height(), QColor(222, 227, 234), QColor(250, 251, 253)));
    p.drawRoundedRect(r, 3, 3);
    p.setPen(QColor(0, 20, 50, 28));
    p.drawLine(QPointF(3, 1.5), QPointF(size.width() - 3, 1.5));
    return image;
}

// The full bar, drawn over the groove and cut at the done fraction: transparent outside the groove's
// border so the border stays; the accent of the step captions with a light top half.
QImage paintProgressFill()
{
    QImage image = newCanvas(place::progressSize, true);
    QPainter p(&image);
    prepare(p);
    const QSize size = logical(image);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(r.top(), r.bottom(), QColor(246, 180, 64), QColor(212, 128, 0)));
    p.drawRoundedRect(r, 2.5, 2.5);
    p.setBrush(vertical(r.top(), r.center().y(), QColor(255, 255, 255, 110), QColor(255, 255, 255, 20)));
    p.drawRoundedRect(QRectF(r.left() + 1, r.top() + 0.5, r.width() - 2, r.height() / 2 - 0.5), 2, 2);
    // Fine diagonal stripes, so a bar that barely moves still reads as a bar.
    p.setClipRect(r);
    p.setPen(QPen(QColor(255, 255, 255, 34), 3));
    for (qreal x = -size.height(); x < size.width(); x += 10)
        p.drawLine(QPointF(x, size.height()), QPointF(x + size.height(), 0));
    return image;
}

// ---- icons -------------------------------------------------------------------------------------------

QImage paintRowIcon(int number)
{
    QImage image = newCanvas(QSize(17, 17), true);
    QPainter p(&image);
    prepare(p);
    switch (number) {
    case 1: // added, not renamed yet
        p.setPen(QColor(140, 160, 192));
        p.setBrush(vertical(2, 16, QColor(250, 252, 255), QColor(226, 234, 245)));
        p.drawRoundedRect(QRectF(2.5, 2.5, 13, 13), 2.5, 2.5);
        p.fillRect(QRect(5, 8, 8, 2), colour::blue);
        p.fillRect(QRect(8, 5, 2, 8), colour::blue);
        break;
    case 2: { // renamed
        QPainterPath check;
        check.moveTo(3, 9);
        check.lineTo(7, 13);
        check.lineTo(14.5, 4);
        p.setPen(glyphPen(colour::checkBlue, 2.4));
        p.drawPath(check);
        break;
    }
    case 3: // rename failed
        p.setPen(glyphPen(colour::failRed, 2.8));
        p.drawLine(QPointF(8.5, 2.5), QPointF(8.5, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(colour::failRed);
        p.drawEllipse(QPointF(8.5, 14), 1.7, 1.7);
        break;
    case 4: // restored
        drawDiscMark(p, QRectF(1, 1, 15, 15), QColor(96, 182, 88), QColor(50, 140, 60));
        break;
    case 5: { // restore failed
        p.setPen(Qt::NoPen);
        p.setBrush(vertical(1, 16, QColor(230, 92, 80), QColor(196, 46, 38)));
        p.drawEllipse(QRectF(1, 1, 15, 15));
        p.setPen(QPen(Qt::white, 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(11, 11));
        p.drawLine(QPointF(11, 6), QPointF(6, 11));
        break;
    }
    }
    return image;
}

QImage paintDragCursor()
{
    QImage image = newCanvas(QSize(32, 32), true);
    QPainter p(&image);
    // A document under the arrow, the row being carried.
    const QRectF page(13.5, 15.5, 11, 14);
    const QPolygonF sheet({ page.topLeft(), QPointF(page.right() - 4, page.top()),
        QPointF(page.right(), page.top() + 4), page.bottomRight(), page.bottomLeft() });
    p.setPen(QColor(64, 86, 118));
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.setBrush(QColor(214, 224, 238));
    p.drawPolygon(QPolygonF({ QPointF(page.right() - 4, page.top()), QPointF(page.right() - 4, page.top() + 4),
        QPointF(page.right(), page.top() + 4) }));
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(16, 20 + 3 * i, i == 2 ? 4 : 6, 1), colour::blue);

    // The classic arrow, pixel by pixel, its tip on pixel (0, 0).
    static const char* const arrow[] = {
        "X",
        "XX",
        "X.X",
        "X..X",
        "X...X",
        "X....X",
        "X.....X",
        "X......X",
        "X.......X",
        "X........X",
        "X.........X",
        "X......XXXXX",
        "X...X..X",
        "X..XX..X",
        "X.X  X..X",
        "XX   X..X",
        "X     X..X",
        "      X..X",
        "       XX",
    };
    for (int y = 0; y < int(std::size(arrow)); ++y) {
        for (int x = 0; arrow[y][x] != 0; ++x) {
            // Whole logical pixels, also on the 2× canvas: the arrow keeps its crisp staircase.
            if (arrow[y][x] == 'X')
                p.fillRect(QRect(x, y, 1, 1), Qt::black);
            else if (arrow[y][x] == '.')
                p.fillRect(QRect(x, y, 1, 1), Qt::white);
        }
    }
    return image;
}

// The app icon on a square of side `s`, on whatever device the painter paints.
void drawAppIcon(QPainter& p, qreal s)
{
    const QRectF tile(s * 0.04 + 0.5, s * 0.04 + 0.5, s * 0.92 - 1, s * 0.92 - 1);
    p.setPen(QPen(QColor(38, 112, 56), qMax(1.0, s / 96)));
    p.setBrush(vertical(tile.top(), tile.bottom(), QColor(132, 200, 104), QColor(46, 132, 66)));
    p.drawRoundedRect(tile, s * 0.2, s * 0.2);
    // A soft sheen on the upper half.
    QPainterPath sheen;
    sheen.addRoundedRect(tile.adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.5), s * 0.18, s * 0.18);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(tile.top(), tile.center().y(), QColor(255, 255, 255, 70), QColor(255, 255, 255, 0)));
    p.drawPath(sheen);
    drawSprout(p, QRectF(s * 0.17, s * 0.15, s * 0.66, s * 0.68), Qt::white, QColor(236, 248, 230), true);
}

QImage paintAppIcon(int size)
{
    QImage image = newCanvas(QSize(size, size), true);
    QPainter p(&image);
    prepare(p);
    drawAppIcon(p, size);
    return image;
}

} // namespace

QList<std::pair<QString, QSize>> expectedSizes(int scale)
{
    QList<std::pair<QString, QSize>> sizes {
        { u"background.png"_s, { 680, 580 } },
        { u"logo.png"_s, { 120, 40 } },
        { u"tab_diy_on.png"_s, { 80, 19 } },
        { u"tab_diy_off.png"_s, { 80, 19 } },
        { u"tab_replace_on.png"_s, { 106, 19 } },
        { u"tab_replace_off.png"_s, { 106, 19 } },
        { u"panel_diy.png"_s, { 609, 98 } },
        { u"panel_replace.png"_s, { 609, 98 } },
        { u"header.png"_s, { 680, 18 } },
        { u"callback_under.png"_s, { 52, 22 } },
        { u"bt_openfiles.png"_s, { 530, 22 } },
        { u"bt_openfolder.png"_s, { 470, 22 } },
        { u"bt_rename.png"_s, { 400, 22 } },
        { u"bt_callback.png"_s, { 260, 22 } },
        { u"bt_up.png"_s, { 200, 40 } },
        { u"bt_down.png"_s, { 200, 40 } },
        { u"bt_delete.png"_s, { 200, 40 } },
        { u"bt_clear.png"_s, { 200, 40 } },
        { u"bt_min.png"_s, { 115, 16 } },
        { u"bt_close.png"_s, { 115, 16 } },
        { u"bt_cancel.png"_s, { 260, 22 } },
        { u"progress_trough.png"_s, { 208, 14 } },
        { u"progress_fill.png"_s, { 208, 14 } },
        { u"row1.png"_s, { 17, 17 } },
        { u"row2.png"_s, { 17, 17 } },
        { u"row3.png"_s, { 17, 17 } },
        { u"row4.png"_s, { 17, 17 } },
        { u"row5.png"_s, { 17, 17 } },
        { u"drag_cursor.png"_s, { 32, 32 } },
    };
    if (scale == 1) {
        for (const int size : kAppIconSizes)
            sizes.append({ u"app_icon_%1.png"_s.arg(size), { size, size } });
        return sizes;
    }
    // The app icons come in their own sizes; every other picture is drawn again at `scale`.
    sizes.removeIf([](const auto& entry) { return entry.first.startsWith(u"app_icon"_s); });
    for (auto& [name, size] : sizes) {
        name = atScale(name, scale);
        size *= scale;
    }
    return sizes;
}

QString appIconSvg()
{
    // Drawn as for 256 pixels; the outline's width then scales with the picture, as it does across the PNGs
    // from 96 pixels up.
    constexpr int size = 256;
    SvgRecorder recorder(QSize(size, size));
    QPainter p(&recorder);
    drawAppIcon(p, size);
    p.end();
    return recorder.svg();
}

QString atScale(const QString& fileName, int scale)
{
    if (scale == 1)
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return fileName.left(dot) + u"@%1x"_s.arg(scale) + fileName.mid(dot);
}

QList<Picture> paintAll(int scale)
{
    g_scale = scale;
    const auto restore = qScopeGuard([] { g_scale = 1; });
    const QImage skin = paintBackground();
    QList<Picture> all;
    all.append({ u"background.png"_s, skin });
    all.append({ u"logo.png"_s, paintLogo(skin) });
    all.append(
        { u"tab_diy_on.png"_s, paintTab(skin, place::btDIY, { 80, 19 }, u"重新命名"_s, true, colour::panelDiy) });
    all.append(
        { u"tab_diy_off.png"_s, paintTab(skin, place::btDIY, { 80, 19 }, u"重新命名"_s, false, colour::panelDiy) });
    all.append({ u"tab_replace_on.png"_s,
        paintTab(skin, place::btReplace, { 106, 19 }, u"原文件名修改"_s, true, colour::panelReplace) });
    all.append({ u"tab_replace_off.png"_s,
        paintTab(skin, place::btReplace, { 106, 19 }, u"原文件名修改"_s, false, colour::panelReplace) });
    all.append({ u"panel_diy.png"_s, paintPanel(colour::panelDiy) });
    all.append({ u"panel_replace.png"_s, paintPanel(colour::panelReplace) });
    all.append({ u"header.png"_s, paintHeader() });
    // While the restore button is hidden its place shows just the bottom band.
    all.append({ u"callback_under.png"_s, cut(skin, place::btCallBack, { 52, 22 }) });
    all.append({ u"bt_openfiles.png"_s,
        paintTextButton(skin, place::btOpenFiles, { 106, 22 }, u"添加文件"_s, false, fileGlyph) });
    all.append({ u"bt_openfolder.png"_s,
        paintTextButton(skin, place::btOpenFolder, { 94, 22 }, u"添加文件夹"_s, false, folderGlyph) });
    all.append({ u"bt_rename.png"_s, paintTextButton(skin, place::btReName, { 80, 22 }, u"开始更名"_s, true) });
    all.append({ u"bt_callback.png"_s, paintTextButton(skin, place::btCallBack, { 52, 22 }, u"还原"_s, false) });
    all.append({ u"bt_up.png"_s, paintSquareButton(skin, place::btSelect[0], upGlyph, u"上移"_s) });
    all.append({ u"bt_down.png"_s, paintSquareButton(skin, place::btSelect[1], downGlyph, u"下移"_s) });
    all.append({ u"bt_delete.png"_s, paintSquareButton(skin, place::btSelect[2], deleteGlyph, u"删除"_s) });
    all.append({ u"bt_clear.png"_s, paintSquareButton(skin, place::btSelect[3], clearGlyph, u"清空"_s) });
    all.append({ u"bt_min.png"_s, paintWindowButton(skin, place::btMin, false) });
    all.append({ u"bt_close.png"_s, paintWindowButton(skin, place::btClose, true) });
    all.append({ u"bt_cancel.png"_s, paintTextButton(skin, place::btCancel, { 52, 22 }, u"取消"_s, false) });
    all.append({ u"progress_trough.png"_s, paintProgressTrough(skin) });
    all.append({ u"progress_fill.png"_s, paintProgressFill() });
    for (int i = 1; i <= 5; ++i)
        all.append({ u"row%1.png"_s.arg(i), paintRowIcon(i) });
    all.append({ u"drag_cursor.png"_s, paintDragCursor() });
    if (scale == 1) {
        // Drawn afresh at every size a desktop's menus and panels ask for, so none is a scaled copy.
        for (const int size : kAppIconSizes)
            all.append({ u"app_icon_%1.png"_s.arg(size), paintAppIcon(size) });
    }
    for (Picture& picture : all)
        picture.fileName = atScale(picture.fileName, scale);
    return all;
}

} // namespace skinart
