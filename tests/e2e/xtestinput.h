// XTestInput: pointer and key input faked through the X server's XTEST extension, as a user would give it.
#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>

struct xcb_connection_t;

/**
 * Talks to the display in $DISPLAY over a connection of its own and asks the server to act as if the
 * real pointer moved or a real button or key went down or up. The server then sends the events to
 * whichever window it would send a person's input to, with grabs, masks and stacking applied, so the
 * program under test receives them through its window system like any other input.
 *
 * Every call returns once the server has carried the request out. Positions are in the root window's
 * pixels (the native pixels of the screen, before any scaling the toolkit applies).
 */
class XTestInput {
public:
    XTestInput();
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    /// Whether the display was reached and offers the XTEST extension.
    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    bool moveTo(const QPoint& rootPosition);
    /// Button 1 is the left button.
    bool pressButton(int button = 1);
    bool releaseButton(int button = 1);
    /// Presses and releases the key that yields `keysym` without Shift (e.g. 0x32 for the digit 2).
    bool typeKey(std::uint32_t keysym);

    // What a window manager publishes, read as a pager or taskbar reads it.
    /// The name of the running EWMH window manager, empty when none runs.
    QString windowManagerName();
    /// The managed top-level windows (_NET_CLIENT_LIST) whose title is `title`.
    QList<std::uint32_t> clientsTitled(const QString& title);
    /// Where the window's top-left pixel is on the root window, if the window exists.
    std::optional<QPoint> rootPosition(std::uint32_t window);
    /// Asks the window manager to bring the window back and give it the focus, as a taskbar does on a click.
    bool activate(std::uint32_t window);

private:
    bool fakeInput(std::uint8_t type, std::uint8_t detail, QPoint position = {});
    std::uint8_t keycodeFor(std::uint32_t keysym) const;
    std::uint32_t atom(const char* name);
    QByteArray property(std::uint32_t window, const char* name, std::uint32_t type);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    QString m_error;
};
