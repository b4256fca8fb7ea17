// iButton: the skinned push or toggle button whose face is cut from a picture strip.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QTimer;
class PropertyBag;

/**
 * A push button (Style 0) or toggle button (Style 1) drawn from one picture strip.
 *
 * The strip (BackPicture) is one row of equal cells: normal, pointer over, pressed, disabled, and for a
 * toggle the same four again shown while Value is true. A push strip is five cells wide, a toggle strip
 * ten; the cell width is the strip width / 5 (or / 10) rounded half to even. A strip with a device pixel ratio
 * (drawn at 2× for dense screens) is cut in its own pixels, and its cells have the logical size of the strip's
 * pixels divided by that ratio. The strip is cut once, when
 * the skin, the style or AutoSize (to true) is set, at creation and at the first show; state changes only
 * repaint from the cut cells. With AutoSize the control takes the size of one cell.
 *
 * Everything is drawn into a persistent back buffer (hdc(), Image()) that paintEvent copies to the screen;
 * the buffer has the screen's device pixel ratio (its pixels are the control's size times that ratio).
 * Hover is decided by asking which widget is under the cursor, on mouse moves and on a 50 ms poll by the
 * timer child named "Timer1". It runs from creation, and again from each MouseOver, until the first tick
 * that finds the pointer outside and the left button not held on the control; that tick raises MouseOut.
 * A new button away from the pointer therefore raises one MouseOut about 50 ms after creation.
 *
 * Events are signals whose parameters are references: a directly connected slot may change them and the
 * control acts on the changed values (a KeyDown slot that sets KeyCode to 0 cancels Enter and Space).
 * Such signals cannot be queued; connect them directly.
 * Mouse coordinates are in twips, 15 to a pixel; key codes are the classic virtual-key codes (Enter 13,
 * Space 32, A..Z 65..90); Button is 1 left, 2 right, 4 middle; Shift is 1 Shift, 2 Ctrl, 4 Alt.
 *
 * Click is raised once per left-button click released on the control, per Enter key-down (auto-repeats
 * included) and per Space key-up. Every property write that is saved emits propertyChanged(key).
 * QWidget::setEnabled is the Enabled property: disabling shows the disabled cell at once.
 *
 * The control's registered identifier, "青禾更名器.iButton", is class info "ProgID" of its meta-object.
 */
class iButton : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("ProgID", "青禾更名器.iButton")

public:
    explicit iButton(QWidget* parent = nullptr);
    ~iButton() override;

    /// The control's own window id (QWidget::winId(); reading it makes the widget a native window).
    WId hwnd() const;

    /// Stored and saved; the face is drawn with copy semantics whatever its value (13 = copy pen).
    short cDrawMode() const { return m_drawMode; }
    void setcDrawMode(short vNewValue);

    /// The caption's font: the widget font.
    QFont cFont() const { return font(); }
    void setcFont(const QFont& vNewValue);

    /// The caption's colour.
    QColor cForeColor() const { return m_foreColor; }
    void setcForeColor(const QColor& vNewValue);

    /// True sizes the control to one cell (re-cutting the strip); false only records the choice.
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool vNewValue);

    /// The latched value of a toggle button. Writing it on a push button resets it to false. Never saved.
    bool Value() const { return m_value; }
    void setValue(bool vNewValue);

    /// 0 push button, 1 toggle button. A negative style, or one whose last cell index 4 * style + 3 does not
    /// fit 32 bits, is refused: the call returns false and nothing changes.
    int Style() const { return m_style; }
    bool setStyle(int vNewValue);

    /// The skin strip; an empty pixmap removes the skin (only the caption is drawn then).
    QPixmap BackPicture() const { return m_backPicture; }
    void setBackPicture(const QPixmap& vNewValue);

    /// Same as isEnabled(); write with QWidget::setEnabled.
    bool Enabled() const { return isEnabled(); }

    /// 1 opaque, 0 transparent: the control is shaped to where its cell is not magenta (0xFF00FF).
    /// Other values are refused: the call returns false and nothing changes.
    int cBackStyle() const { return m_backStyle; }
    bool setcBackStyle(int tValue);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& vNewValue);

    /// The back buffer as a paint device. Whatever is painted into it shows at the next update().
    QPaintDevice* hdc() { return &m_image; }
    /// A copy of the back buffer: the face as last drawn.
    QImage Image() const { return m_image; }

    /// Shows state `cAction` (0 normal, 1 pointer over, 2 pressed, 3 disabled). Draws only when the state
    /// differs from the one shown or `vComplePaint` is true. A state without a cell draws a cleared face.
    void cMouseAction(int cAction, bool vComplePaint);

    /// Saves "BackPicture", "Enabled", "Style", "cBackStyle", "Caption", "AutoSize" (each only when it
    /// differs from its default), then "cFont", "cDrawMode" and "cForeColor", in this order.
    void WriteProperties(PropertyBag& bag) const;
    /// Restores saved settings without cutting, repainting or emitting propertyChanged; a missing
    /// "AutoSize" reads as true, so a restored button sizes itself to one cell when first shown.
    void ReadProperties(const PropertyBag& bag);

signals:
    void Click();
    void MouseDown(short& Button, short& Shift, float& X, float& Y);
    void KeyDown(short& KeyCode, short& Shift);
    void KeyUP(short& KeyCode, short& Shift);
    void KeyPress(short& KeyAscii);
    void MouseUp(short& Button, short& Shift, float& X, float& Y);
    void MouseMove(short& Button, short& Shift, float& X, float& Y);
    void MouseOut();
    void MouseOver();
    void DBClick();

    /// A saved setting changed; `key` is its name in the property bag.
    void propertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private slots:
    void Timer1_Timer();

private:
    friend class iButtonAccessible; // repaints the face after a press action

    int GetState() const;
    /// Whether the widget under the cursor is this one (masked-out and covered parts are not).
    bool IsMouseOver() const;
    /// A cell's size in logical pixels (the strip's pixels divided by its device pixel ratio).
    int GetFrameWidth() const;
    int GetFrameHeight() const;
    /// A cell's width in the strip's own pixels.
    int deviceFrameWidth() const;
    /// The back buffer's size in device pixels: the control's size times the screen's device pixel ratio.
    QSize bufferSize() const;
    void SliceBackPicture();
    const QImage* GetStateFrame(int state) const;
    void DrawButton(int cAction);
    void DrawFrame();
    void DrawFocus();
    /// Redraws the face for the computed state, leaving the shown state index as it is.
    void repaintFace();
    void applyMask();
    void surfaceClick();
    void markChanged(const QString& key);

    // Cells cut from the strip: only those that start inside it. A state whose cell lies past the strip
    // draws nothing.
    QList<QImage> m_frames;
    QPixmap m_backPicture;
    bool m_hover = false;
    bool m_pressed = false;
    short m_lastButton = 0;
    bool m_value = false;
    int m_style = 0;
    QString m_caption;
    int m_curAction = 0;
    bool m_autoSize = false;
    bool m_framesReady = false;

    // The drawing surface.
    QImage m_image;
    int m_backStyle = 1;
    QColor m_foreColor;
    short m_drawMode = 13;
    QString m_tag;
    QImage m_maskPicture;
    qint64 m_appliedMaskKey = 0;
    QTimer* m_timer1 = nullptr;

    bool m_loading = false;
    bool m_afterDoubleClick = false;
};
