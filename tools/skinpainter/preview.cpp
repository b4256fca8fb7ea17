// Puts the pictures together the way the main window shows them, plus an enlarged sheet of every part.
#include "skinart.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace skinart {
namespace {

QImage find(const QList<Picture>& pictures, const QString& name)
{
    for (const Picture& picture : pictures) {
        if (picture.fileName == name)
            return picture.image;
    }
    return {};
}

QImage cell(const QImage& strip, int index)
{
    const int w = strip.width() / 5;
    return strip.copy(index * w, 0, w, strip.height());
}

QFont labelFont()
{
    QFont font;
    font.setFamilies({ u"Noto Sans CJK SC"_s, u"Noto Sans CJK"_s });
    font.setPixelSize(12);
    return font;
}

// A label whose top edge is at y, as the window places it.
void label(QPainter& p, int x, int y, const QString& text, const QColor& colour)
{
    p.setFont(labelFont());
    p.setPen(colour);
    p.drawText(QPoint(x, y + 11), text);
}

void field(QPainter& p, const QRect& r, const QColor& fill = Qt::white)
{
    p.fillRect(r, fill);
    p.setPen(QColor(150, 160, 174));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

QImage composeWindow(const QList<Picture>& pics)
{
    QImage window = find(pics, u"background.png"_s).convertToFormat(QImage::Format_RGB32);
    QPainter p(&window);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor orange(215, 135, 2);
    const QColor dark(64, 64, 64);
    const QColor grey(128, 128, 128);

    p.drawImage(528, 28, find(pics, u"logo.png"_s));
    p.drawImage(623, 0, cell(find(pics, u"bt_min.png"_s), 0));
    p.drawImage(651, 0, cell(find(pics, u"bt_close.png"_s), 0));
    label(p, 16, 36, u"第一步，添加文件，您可以："_s, orange);
    p.drawImage(176, 31, cell(find(pics, u"bt_openfolder.png"_s), 0));
    label(p, 280, 36, u"或者"_s, orange);
    p.drawImage(312, 31, cell(find(pics, u"bt_openfiles.png"_s), 1));
    label(p, 16, 63, u"第二步，请选择一种改名格式，用来生成新的文件名："_s, orange);

    p.drawImage(40, 98, find(pics, u"panel_diy.png"_s));
    p.drawImage(40, 80, find(pics, u"tab_diy_on.png"_s));
    p.drawImage(120, 80, find(pics, u"tab_replace_off.png"_s));
    p.save();
    p.translate(40, 98);
    label(p, 24, 16, u"前缀："_s, dark);
    field(p, QRect(64, 14, 185, 18));
    label(p, 24, 45, u"编号：从"_s, dark);
    field(p, QRect(80, 43, 29, 18));
    label(p, 112, 45, u"开始，不足位数补零"_s, dark);
    field(p, QRect(224, 43, 25, 19));
    label(p, 253, 45, u"位"_s, dark);
    label(p, 24, 72, u"后缀："_s, dark);
    field(p, QRect(64, 70, 185, 18));
    p.fillRect(QRect(280, 8, 1, 80), QColor(224, 224, 224));
    label(p, 296, 12, u"例："_s, grey);
    label(p, 296, 29, u"前缀“青禾”，编号从“1”开始，不补零，后缀“木舟”"_s, grey);
    label(p, 296, 45, u"生成文件名为：青禾1木舟"_s, grey);
    label(p, 296, 61, u"前缀“青禾”，编号从“1”开始，补零2位，后缀“木舟”"_s, grey);
    label(p, 296, 77, u"生成文件名为：青禾01木舟"_s, grey);
    p.restore();

    label(p, 16, 208, u"第三步，扩展名设置："_s, orange);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(120, 130, 145));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(153.5, 209.5, 12, 12));
    p.drawEllipse(QRectF(225.5, 209.5, 12, 12));
    p.setBrush(QColor(40, 90, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(156.5, 212.5, 6, 6));
    label(p, 170, 208, u"不改变"_s, Qt::black);
    label(p, 242, 208, u"修改为："_s, Qt::black);
    field(p, QRect(296, 207, 73, 18), QColor(239, 239, 239));
    label(p, 16, 232, u"第四步，调整文件顺序(支持鼠标拖动)："_s, orange);

    p.drawImage(QPoint(16, 248), find(pics, u"header.png"_s), QRect(0, 0, 599, 18));
    const QColor headBlue(63, 112, 172);
    label(p, 16 + 24, 248 + 4, u"原文件名"_s, headBlue);
    label(p, 16 + 278, 248 + 4, u"新文件名"_s, headBlue);
    label(p, 16 + 506, 248 + 4, u"状态"_s, headBlue);
    const QStringList rows { u"假日照片001.jpg"_s, u"会议记录.docx"_s, u"风景.png"_s, u"旧文件.txt"_s,
        u"锁定的文件.pdf"_s };
    const QStringList outcomes { QString(), u"成功"_s, u"失败"_s, u"还原成功"_s, u"还原失败"_s };
    for (int i = 0; i < rows.size(); ++i) {
        const int y = 266 + i * 19;
        if (i == 1)
            p.fillRect(QRect(16, y, 601, 19), QColor(204, 222, 245));
        p.drawImage(19, y + 1, find(pics, u"row%1.png"_s.arg(i + 1)));
        label(p, 40, y + 3, rows[i], Qt::black);
        label(p, 16 + 272, y + 3, u"青禾%1木舟%2"_s.arg(i + 1).arg(rows[i].mid(rows[i].lastIndexOf(u'.'))), Qt::black);
        label(p, 16 + 501, y + 3, outcomes[i], Qt::black);
    }
    const QStringList squares { u"bt_up.png"_s, u"bt_down.png"_s, u"bt_delete.png"_s, u"bt_clear.png"_s };
    for (int i = 0; i < 4; ++i)
        p.drawImage(624, 272 + 56 * i, cell(find(pics, squares[i]), 0));

    label(p, 16, 536, u"小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名"_s, dark);
    p.drawImage(472, 528, cell(find(pics, u"bt_rename.png"_s), 0));
    p.drawImage(560, 528, cell(find(pics, u"bt_callback.png"_s), 3));
    p.setFont(labelFont());
    const QString credit = u"By 青禾木舟"_s;
    label(p, 673 - QFontMetrics(labelFont()).horizontalAdvance(credit), 564, credit, grey);
    return window;
}

// The bottom band during a long pass: caption, bar at 40 % and the cancel button over the tip line.
QImage composePass(const QList<Picture>& pics, const QImage& window)
{
    QImage image = window;
    QPainter p(&image);
    p.drawImage(0, 525, find(pics, u"background.png"_s), 0, 525, 470, 30);
    label(p, 16, 536, u"正在更名 40,000 / 100,000"_s, QColor(64, 64, 64));
    p.drawImage(196, 532, find(pics, u"progress_trough.png"_s));
    const QImage fill = find(pics, u"progress_fill.png"_s);
    p.drawImage(QPoint(196, 532), fill, QRect(0, 0, fill.width() * 4 / 10, fill.height()));
    p.drawImage(412, 528, cell(find(pics, u"bt_cancel.png"_s), 1));
    return image;
}

QImage composeSheet(const QList<Picture>& pics)
{
    constexpr int zoom = 2;
    QImage sheet(QSize(1270, 1000), QImage::Format_RGB32);
    sheet.fill(QColor(255, 255, 255));
    QPainter p(&sheet);
    QFont caption;
    caption.setPixelSize(12);
    p.setFont(caption);
    int x = 10;
    int y = 10;
    int rowHeight = 0;
    auto put = [&](const QString& name, int scale) {
        const QImage image = find(pics, name);
        const QSize size = image.size() * scale;
        if (x + size.width() > sheet.width() - 10) {
            x = 10;
            y += rowHeight + 24;
            rowHeight = 0;
        }
        p.setPen(Qt::black);
        p.drawText(QPoint(x, y + 12), u"%1 (%2×%3)"_s.arg(name).arg(image.width()).arg(image.height()));
        // Transparent pictures over a checkerboard, to show their edges.
        for (int cy = 0; cy < size.height(); cy += 8) {
            for (int cx = 0; cx < size.width(); cx += 8) {
                p.fillRect(QRect(x + cx, y + 16 + cy, qMin(8, size.width() - cx), qMin(8, size.height() - cy)),
                    ((cx + cy) / 8) % 2 ? QColor(200, 200, 200) : QColor(240, 240, 240));
            }
        }
        p.drawImage(QRect(QPoint(x, y + 16), size), image);
        x += size.width() + 16;
        rowHeight = qMax(rowHeight, size.height() + 16);
    };
    for (const QString& name :
        { u"bt_openfiles.png"_s, u"bt_openfolder.png"_s, u"bt_rename.png"_s, u"bt_callback.png"_s, u"bt_up.png"_s,
            u"bt_down.png"_s, u"bt_delete.png"_s, u"bt_clear.png"_s, u"bt_min.png"_s, u"bt_close.png"_s,
            u"tab_diy_on.png"_s, u"tab_diy_off.png"_s, u"tab_replace_on.png"_s, u"tab_replace_off.png"_s, u"logo.png"_s,
            u"callback_under.png"_s, u"bt_cancel.png"_s, u"progress_trough.png"_s, u"progress_fill.png"_s })
        put(name, zoom);
    for (int i = 1; i <= 5; ++i)
        put(u"row%1.png"_s.arg(i), 6);
    put(u"drag_cursor.png"_s, 5);
    put(u"app_icon_48.png"_s, 3);
    put(u"app_icon_256.png"_s, 1);
    return sheet;
}

} // namespace

QList<Picture> composePreviews(const QList<Picture>& pictures)
{
    const QImage window = composeWindow(pictures);
    return {
        { u"preview_window.png"_s, window },
        { u"preview_x2_top_left.png"_s, window.copy(0, 0, 340, 290).scaled(680, 580) },
        { u"preview_x2_top_right.png"_s, window.copy(340, 0, 340, 290).scaled(680, 580) },
        { u"preview_x2_bottom_left.png"_s, window.copy(0, 290, 340, 290).scaled(680, 580) },
        { u"preview_x2_bottom_right.png"_s, window.copy(340, 290, 340, 290).scaled(680, 580) },
        { u"preview_parts.png"_s, composeSheet(pictures) },
        { u"preview_pass_x2.png"_s, composePass(pictures, window).copy(0, 500, 680, 80).scaled(1360, 160) },
    };
}

} // namespace skinart
