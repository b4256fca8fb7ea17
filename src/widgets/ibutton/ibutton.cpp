// iButton: cutting the strip, painting the face, and turning input into states and events.
#include "widgets/ibutton/ibutton.h"

#include <climits>
#include <cmath>
#include <utility>

#include <QAccessible>
#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "widgets/ibutton/ibuttonaccessible.h"
#include "widgets/ibutton/propertybag.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int twipsPerPixel = 15;
constexpr QRgb maskColour = 0xFFFF00FF;

constexpr int stateNormal = 0;
constexpr int stateOver = 1;
constexpr int statePressed = 2;
constexpr int stateDisabled = 3;

constexpr short keyEnter = 13;
constexpr short keySpace = 32;

// Rounds to the nearest integer, halves to the even neighbour.
int roundHalfEven(double value)
{
    double whole = std::round(value);
    if (std::abs(value - std::trunc(value)) == 0.5)
        whole = 2.0 * std::round(value / 2.0);
    return static_cast<int>(whole);
}

short buttonCode(Qt::MouseButton button)
{
    return button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
}

short buttonsCode(Qt::MouseButtons buttons)
{
    return short((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
        | (buttons & Qt::MiddleButton ? 4 : 0));
}

short shiftCode(Qt::KeyboardModifiers modifiers)
{
    return short((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0));
}

// The classic virtual-key code of a key, or 0 for keys without one here.
short keyCode(const QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return short(event->modifiers() & Qt::KeypadModifier ? 96 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return short(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return short(112 + (key - Qt::Key_F1));
    static constexpr std::pair<int, short> others[] = { { Qt::Key_Backspace, 8 }, { Qt::Key_Tab, 9 },
        { Qt::Key_Backtab, 9 }, { Qt::Key_Return, keyEnter }, { Qt::Key_Enter, keyEnter }, { Qt::Key_Shift, 16 },
        { Qt::Key_Control, 17 }, { Qt::Key_Alt, 18 }, { Qt::Key_Pause, 19 }, { Qt::Key_CapsLock, 20 },
        { Qt::Key_Escape, 27 }, { Qt::Key_Space, keySpace }, { Qt::Key_PageUp, 33 }, { Qt::Key_PageDown, 34 },
        { Qt::Key_End, 35 }, { Qt::Key_Home, 36 }, { Qt::Key_Left, 37 }, { Qt::Key_Up, 38 }, { Qt::Key_Right, 39 },
        { Qt::Key_Down, 40 }, { Qt::Key_Insert, 45 }, { Qt::Key_Delete, 46 }, { Qt::Key_Menu, 93 },
        { Qt::Key_NumLock, 144 }, { Qt::Key_ScrollLock, 145 } };
    for (const auto& [qtKey, code] : others)
        if (qtKey == key)
            return code;
    return 0;
}

bool styleFits(qint64 style)
{
    return style >= 0 && 4 * style + 3 <= INT_MAX;
}

bool backStyleFits(int value)
{
    return value == 0 || value == 1;
}

} // namespace

iButton::iButton(QWidget* parent)
    : QWidget(parent)
    , m_foreColor(palette().color(QPalette::ButtonText))
    , m_timer1(new QTimer(this))
{
    // Screen readers see the button through its own interface; the factory is installed once per program.
    static const bool accessible = (QAccessible::installFactory(&iButtonAccessible::create), true);
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_timer1->setObjectName(u"Timer1"_s);
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, &iButton::Timer1_Timer);
    SliceBackPicture();
    m_timer1->start();
}

iButton::~iButton() = default;

WId iButton::hwnd() const
{
    return winId();
}

void iButton::setcDrawMode(short vNewValue)
{
    m_drawMode = vNewValue;
    repaintFace();
    markChanged(u"cDrawMode"_s);
}

void iButton::setcFont(const QFont& vNewValue)
{
    setFont(vNewValue);
    repaintFace();
    markChanged(u"cFont"_s);
}

void iButton::setcForeColor(const QColor& vNewValue)
{
    m_foreColor = vNewValue;
    repaintFace();
    markChanged(u"cForeColor"_s);
}

void iButton::setAutoSize(bool vNewValue)
{
    m_autoSize = vNewValue;
    if (m_autoSize)
        SliceBackPicture();
    markChanged(u"AutoSize"_s);
}

void iButton::setValue(bool vNewValue)
{
    if (m_style != 1) {
        m_value = false;
        return;
    }
    m_value = vNewValue;
    cMouseAction(GetState(), true);
}

bool iButton::setStyle(int vNewValue)
{
    if (!styleFits(vNewValue))
        return false;
    m_style = vNewValue;
    SliceBackPicture();
    markChanged(u"Style"_s);
    return true;
}

void iButton::setBackPicture(const QPixmap& vNewValue)
{
    m_backPicture = vNewValue;
    SliceBackPicture();
    markChanged(u"BackPicture"_s);
}

bool iButton::setcBackStyle(int tValue)
{
    if (!backStyleFits(tValue))
        return false;
    m_backStyle = tValue;
    applyMask();
    repaintFace();
    markChanged(u"cBackStyle"_s);
    return true;
}

void iButton::setCaption(const QString& vNewValue)
{
    m_caption = vNewValue;
    repaintFace();
    markChanged(u"Caption"_s);
    // The caption names the button for screen readers unless an accessible name was given.
    if (accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void iButton::cMouseAction(int cAction, bool vComplePaint)
{
    if (cAction == m_curAction && !vComplePaint)
        return;
    m_curAction = cAction;
    DrawButton(cAction);
}

void iButton::WriteProperties(PropertyBag& bag) const
{
    if (!m_backPicture.isNull())
        bag.WriteProperty(u"BackPicture"_s, QVariant::fromValue(m_backPicture));
    // The widget's own flag, not isEnabled(): a button inside a disabled window is still saved enabled.
    bag.WriteProperty(u"Enabled"_s, !testAttribute(Qt::WA_ForceDisabled), true);
    bag.WriteProperty(u"Style"_s, m_style, 0);
    bag.WriteProperty(u"cBackStyle"_s, m_backStyle, 1);
    bag.WriteProperty(u"Caption"_s, m_caption, QString());
    bag.WriteProperty(u"AutoSize"_s, m_autoSize, true);
    bag.WriteProperty(u"cFont"_s, font());
    bag.WriteProperty(u"cDrawMode"_s, int(m_drawMode));
    bag.WriteProperty(u"cForeColor"_s, m_foreColor);
}

void iButton::ReadProperties(const PropertyBag& bag)
{
    m_loading = true;

    const QVariant picture = bag.ReadProperty(u"BackPicture"_s);
    if (picture.typeId() == QMetaType::QImage)
        m_backPicture = QPixmap::fromImage(picture.value<QImage>());
    else
        m_backPicture = picture.value<QPixmap>();

    setEnabled(bag.ReadProperty(u"Enabled"_s, true).toBool());

    // Values this control cannot hold are read as their defaults.
    bool ok = false;
    const int backStyle = bag.ReadProperty(u"cBackStyle"_s, 1).toInt(&ok);
    m_backStyle = ok && backStyleFits(backStyle) ? backStyle : 1;

    m_caption = bag.ReadProperty(u"Caption"_s, QString()).toString();

    const qlonglong style = bag.ReadProperty(u"Style"_s, 0).toLongLong(&ok);
    m_style = ok && styleFits(style) ? static_cast<int>(style) : 0;

    m_autoSize = bag.ReadProperty(u"AutoSize"_s, true).toBool();

    const QColor foreColor = bag.ReadProperty(u"cForeColor"_s, m_foreColor).value<QColor>();
    if (foreColor.isValid())
        m_foreColor = foreColor;

    const QVariant storedFont = bag.ReadProperty(u"cFont"_s);
    if (storedFont.typeId() == QMetaType::QFont)
        setFont(storedFont.value<QFont>());

    const int drawMode = bag.ReadProperty(u"cDrawMode"_s, int(m_drawMode)).toInt(&ok);
    if (ok && drawMode >= SHRT_MIN && drawMode <= SHRT_MAX)
        m_drawMode = static_cast<short>(drawMode);

    m_loading = false;
}

// ---- Painting -------------------------------------------------------------------------------------------

// A strip drawn for a dense screen (device pixel ratio 2: twice the pixels for the same logical size) is
// cut in its own pixels; the cell's logical size, which auto-size gives the control, is that divided by the
// ratio. At ratio 1 both are the same.
int iButton::deviceFrameWidth() const
{
    return roundHalfEven(m_backPicture.width() / (m_style == 0 ? 5.0 : 10.0));
}

int iButton::GetFrameWidth() const
{
    const qreal ratio = m_backPicture.devicePixelRatio();
    return ratio == 1 ? deviceFrameWidth() : roundHalfEven(deviceFrameWidth() / ratio);
}

int iButton::GetFrameHeight() const
{
    const qreal ratio = m_backPicture.devicePixelRatio();
    return ratio == 1 ? m_backPicture.height() : roundHalfEven(m_backPicture.height() / ratio);
}

void iButton::SliceBackPicture()
{
    m_frames.clear();
    if (m_backPicture.isNull()) {
        m_framesReady = false;
        m_maskPicture = QImage();
    } else {
        const int h = m_backPicture.height();
        const int w = deviceFrameWidth();
        QImage strip = m_backPicture.toImage();
        strip.convertTo(strip.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        // The style asks for 4 * style + 4 cells. A large style asks for far more than the strip holds; those
        // past its end would be blank, so they are not made at all.
        const qsizetype wanted = 4 * qsizetype(m_style) + 4;
        const qsizetype inStrip = w > 0 ? std::min<qsizetype>(wanted, (strip.width() + w - 1) / w) : 0;
        m_frames.reserve(inStrip);
        for (qsizetype i = 0; i < inStrip; ++i) {
            m_frames.append(strip.copy(int(i) * w, 0, w, h));
            m_frames.last().setDevicePixelRatio(m_backPicture.devicePixelRatio());
        }
        if (m_autoSize && GetFrameWidth() > 0 && GetFrameHeight() > 0)
            resize(GetFrameWidth(), GetFrameHeight());
        m_framesReady = true;
    }
    cMouseAction(GetState(), true);
}

const QImage* iButton::GetStateFrame(int state) const
{
    if (!m_framesReady)
        return nullptr;
    const qint64 index = qint64(state) + (m_value ? 4 * qint64(m_style) : 0);
    if (index < 0 || index >= m_frames.size())
        return nullptr;
    return &m_frames.at(index);
}

void iButton::DrawButton(int cAction)
{
    // Clear: a buffer of the control's size filled with the window-background colour, in the screen's
    // device pixels so that a 2× face and the caption stay sharp on a dense screen.
    const qreal ratio = devicePixelRatioF();
    if (m_image.size() != bufferSize() || m_image.devicePixelRatio() != ratio) {
        m_image = QImage(bufferSize(), QImage::Format_RGB32);
        m_image.setDevicePixelRatio(ratio);
    }
    m_image.fill(palette().color(QPalette::Base));

    DrawFrame();

    if (!m_caption.isEmpty()) {
        // Centred in twips, like the rest of the control's geometry, then printed at whole pixels.
        const QFontMetrics metrics(font());
        const int widthTwips = width() * twipsPerPixel;
        const int heightTwips = height() * twipsPerPixel;
        const int textWidth = metrics.horizontalAdvance(m_caption) * twipsPerPixel;
        const int textHeight = metrics.height() * twipsPerPixel;
        int x = roundHalfEven(widthTwips / 2.0 - textWidth / 2.0);
        int y = roundHalfEven(heightTwips / 2.0 - textHeight / 2.0);
        if (cAction == statePressed) {
            x += twipsPerPixel;
            y += twipsPerPixel;
        }
        QPainter painter(&m_image);
        painter.setFont(font());
        painter.setPen(m_foreColor);
        const QPoint topLeft(roundHalfEven(x / double(twipsPerPixel)), roundHalfEven(y / double(twipsPerPixel)));
        painter.drawText(topLeft + QPoint(0, metrics.ascent()), m_caption);
    }
    update();
}

void iButton::DrawFrame()
{
    const QImage* frame = GetStateFrame(m_curAction);
    if (!frame)
        return;
    const QRect face(0, 0, width(), height());
    {
        QPainter painter(&m_image);
        // A cell drawn for another density than the screen's (2× on a 1.5× screen) is filtered when scaled.
        if (frame->devicePixelRatio() != m_image.devicePixelRatio())
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(face, *frame);
    }
    if (m_backStyle == 0) {
        // Transparent: shaped by the cell itself when cell-sized, else by the stretched face.
        m_maskPicture = m_autoSize ? *frame : m_image.copy();
        applyMask();
    }
}

void iButton::applyMask()
{
    const qint64 key = m_backStyle == 0 ? m_maskPicture.cacheKey() : 0;
    if (key == m_appliedMaskKey)
        return;
    m_appliedMaskKey = key;
    if (key == 0) {
        clearMask();
        return;
    }
    // The mask is in logical pixels: a face drawn for a dense screen is sampled at each logical pixel.
    QImage picture = m_maskPicture;
    if (picture.devicePixelRatio() != 1) {
        picture
            = picture.scaled(picture.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        picture.setDevicePixelRatio(1);
    }
    // For a pixmap, MaskInColor makes the pixels of that colour the transparent ones.
    setMask(QPixmap::fromImage(picture).createMaskFromColor(QColor::fromRgb(maskColour), Qt::MaskInColor));
}

void iButton::DrawFocus()
{
    // A dotted rectangle 3 pixels in, drawn by inverting every other pixel, so drawing it twice removes it.
    const int left = 3;
    const int top = 3;
    const int right = width() - 3; // exclusive
    const int bottom = height() - 3; // exclusive
    if (right <= left || bottom <= top || m_image.size() != bufferSize())
        return;
    // Each logical pixel of the rectangle covers ratio × ratio device pixels of the buffer.
    const qreal ratio = m_image.devicePixelRatio();
    const auto invert = [this, ratio](int x, int y) {
        if ((x + y) % 2 != 0)
            return;
        for (int dy = int(y * ratio); dy < int((y + 1) * ratio) && dy < m_image.height(); ++dy) {
            QRgb* line = reinterpret_cast<QRgb*>(m_image.scanLine(dy));
            for (int dx = int(x * ratio); dx < int((x + 1) * ratio) && dx < m_image.width(); ++dx)
                line[dx] ^= 0x00FFFFFF;
        }
    };
    for (int x = left; x < right; ++x) {
        invert(x, top);
        if (bottom - 1 != top)
            invert(x, bottom - 1);
    }
    for (int y = top + 1; y < bottom - 1; ++y) {
        invert(left, y);
        if (right - 1 != left)
            invert(right - 1, y);
    }
    update();
}

void iButton::repaintFace()
{
    DrawButton(GetState());
}

QSize iButton::bufferSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio)).expandedTo(QSize(1, 1));
}

void iButton::paintEvent(QPaintEvent*)
{
    // On a screen of another density than the face was drawn for (the window moved), draw it again first.
    if (m_image.devicePixelRatio() != devicePixelRatioF())
        DrawButton(m_curAction);
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

// ---- Size, show, enable ---------------------------------------------------------------------------------

void iButton::resizeEvent(QResizeEvent*)
{
    if (m_autoSize && !m_backPicture.isNull()) {
        const int w = GetFrameWidth();
        const int h = GetFrameHeight();
        // A strip too narrow for a whole-pixel cell leaves the size alone, as cutting it does.
        if (w > 0 && h > 0)
            resize(w, h);
    }
    cMouseAction(GetState(), true);
}

void iButton::showEvent(QShowEvent*)
{
    if (!m_tag.isEmpty())
        return;
    SliceBackPicture();
    m_tag = u"1"_s;
}

void iButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange || m_loading)
        return;
    // A disabled button gets no release, so a press in progress ends here rather than never.
    if (!isEnabled())
        m_pressed = false;
    cMouseAction(GetState(), true);
    markChanged(u"Enabled"_s);
}

void iButton::markChanged(const QString& key)
{
    emit propertyChanged(key);
}

// ---- States and input -----------------------------------------------------------------------------------

int iButton::GetState() const
{
    if (!isEnabled())
        return stateDisabled;
    const bool over = IsMouseOver();
    if (m_pressed)
        return over ? statePressed : stateNormal;
    return over ? stateOver : stateNormal;
}

bool iButton::IsMouseOver() const
{
    return QApplication::widgetAt(QCursor::pos()) == this;
}

void iButton::Timer1_Timer()
{
    if (IsMouseOver()) {
        if (m_pressed)
            cMouseAction(statePressed, false);
        return;
    }
    // A button disabled while the pointer was over it keeps its disabled face when the pointer leaves.
    const int away = isEnabled() ? stateNormal : stateDisabled;
    if (m_pressed) {
        cMouseAction(away, false);
        return;
    }
    m_timer1->stop();
    m_hover = false;
    emit MouseOut();
    cMouseAction(away, false);
}

void iButton::mousePressEvent(QMouseEvent* event)
{
    m_afterDoubleClick = false;
    short Button = buttonCode(event->button());
    short Shift = shiftCode(event->modifiers());
    float X = float(event->position().x() * twipsPerPixel);
    float Y = float(event->position().y() * twipsPerPixel);
    emit MouseDown(Button, Shift, X, Y);
    m_lastButton = Button;
    if (Button == 1) {
        cMouseAction(statePressed, false);
        m_pressed = true;
    }
}

void iButton::mouseReleaseEvent(QMouseEvent* event)
{
    short Button = buttonCode(event->button());
    short Shift = shiftCode(event->modifiers());
    float X = float(event->position().x() * twipsPerPixel);
    float Y = float(event->position().y() * twipsPerPixel);
    emit MouseUp(Button, Shift, X, Y);
    if (Button == 1) {
        if (IsMouseOver()) {
            if (m_style == 1)
                m_value = !m_value;
            cMouseAction(stateOver, true);
        } else {
            cMouseAction(stateNormal, true);
        }
        m_pressed = false;
    }
    // The release that ends a double click brings no click of its own.
    if (m_afterDoubleClick) {
        m_afterDoubleClick = false;
        return;
    }
    if (rect().contains(event->position().toPoint()))
        surfaceClick();
}

void iButton::surfaceClick()
{
    if (m_lastButton != 1)
        return;
    cMouseAction(GetState(), true);
    emit Click();
}

void iButton::mouseDoubleClickEvent(QMouseEvent*)
{
    // The second press of a double click: no MouseDown and no click, only the double click.
    m_afterDoubleClick = true;
    if (m_lastButton == 1)
        cMouseAction(statePressed, false);
    emit DBClick();
}

void iButton::mouseMoveEvent(QMouseEvent* event)
{
    short Button = buttonsCode(event->buttons());
    short Shift = shiftCode(event->modifiers());
    float X = float(event->position().x() * twipsPerPixel);
    float Y = float(event->position().y() * twipsPerPixel);
    emit MouseMove(Button, Shift, X, Y);
    if (IsMouseOver() && !m_hover) {
        cMouseAction(stateOver, false);
        m_hover = true;
        m_timer1->start();
        emit MouseOver();
    }
}

void iButton::keyPressEvent(QKeyEvent* event)
{
    short KeyCode = keyCode(event);
    short Shift = shiftCode(event->modifiers());
    emit KeyDown(KeyCode, Shift);
    if (KeyCode == keyEnter) {
        if (m_style == 1)
            m_value = !m_value;
        cMouseAction(GetState(), true);
        if (!m_hover)
            DrawFocus();
        emit Click();
    } else if (KeyCode == keySpace) {
        cMouseAction(statePressed, true);
        if (!m_hover)
            DrawFocus();
    } else {
        event->ignore(); // let the parent see keys the button does not use
    }
    if (!event->text().isEmpty()) {
        short KeyAscii = static_cast<short>(event->text().at(0).unicode());
        emit KeyPress(KeyAscii);
    }
}

void iButton::keyReleaseEvent(QKeyEvent* event)
{
    // Auto-repeat sends release and press pairs on some platforms; only the real release counts.
    if (event->isAutoRepeat())
        return;
    short KeyCode = keyCode(event);
    short Shift = shiftCode(event->modifiers());
    emit KeyUP(KeyCode, Shift);
    if (KeyCode != keySpace)
        return;
    if (m_style == 1)
        m_value = !m_value;
    cMouseAction(GetState(), true);
    if (!m_hover)
        DrawFocus();
    emit Click();
}

void iButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    cMouseAction(GetState(), true);
    if (!m_pressed)
        DrawFocus();
}

void iButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    cMouseAction(GetState(), true);
}
