// XTestInput: XTEST FakeInput requests sent over a plain xcb connection.
#include "xtestinput.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace {

// The XTEST extension as libxcb identifies it; libxcb keeps its own data about it through this object.
xcb_extension_t xtestExtension = { "XTEST", 0 };

constexpr std::uint8_t fakeInputOpcode = 2;
// Core event codes, as FakeInput expects them in its type field.
constexpr std::uint8_t keyPress = 2;
constexpr std::uint8_t keyRelease = 3;
constexpr std::uint8_t buttonPress = 4;
constexpr std::uint8_t buttonRelease = 5;
constexpr std::uint8_t motionNotify = 6;

// The FakeInput request as it goes over the wire; libxcb fills in the opcodes and the length.
struct FakeInputRequest {
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint8_t type;
    std::uint8_t detail; // button, keycode, or for a motion 0 = absolute
    std::uint8_t pad0[2];
    std::uint32_t time; // 0: at once
    std::uint32_t root;
    std::uint8_t pad1[8];
    std::int16_t rootX;
    std::int16_t rootY;
    std::uint8_t pad2[7];
    std::uint8_t deviceId; // 0: the core devices
};
static_assert(sizeof(FakeInputRequest) == 36, "FakeInput is 9 four-byte units long");

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

XTestInput::XTestInput()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        m_error = QStringLiteral("cannot open the display named by DISPLAY");
        return;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xtestExtension);
    if (!extension || !extension->present) {
        m_error = QStringLiteral("the display has no XTEST extension");
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        m_error = QStringLiteral("the display has no screen %1").arg(screenNumber);
        return;
    }
    m_root = screens.data->root;
}

XTestInput::~XTestInput()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XTestInput::fakeInput(std::uint8_t type, std::uint8_t detail, QPoint position)
{
    if (!isValid())
        return false;
    FakeInputRequest request {};
    request.type = type;
    request.detail = detail;
    request.root = m_root;
    request.rootX = static_cast<std::int16_t>(position.x());
    request.rootY = static_cast<std::int16_t>(position.y());

    const xcb_protocol_request_t protocol = { 2, &xtestExtension, fakeInputOpcode, 1 };
    iovec parts[4] {}; // libxcb writes into the two entries before the ones it is given
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof(request);
    parts[3].iov_base = nullptr;
    parts[3].iov_len = 0;
    const xcb_void_cookie_t cookie { xcb_send_request(m_connection, XCB_REQUEST_CHECKED, parts + 2, &protocol) };
    // Waits for the server to have handled the request, so the input exists once this returns.
    std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(m_connection, cookie));
    return !error && !xcb_connection_has_error(m_connection);
}

bool XTestInput::moveTo(const QPoint& rootPosition)
{
    return fakeInput(motionNotify, 0, rootPosition);
}

bool XTestInput::pressButton(int button)
{
    return fakeInput(buttonPress, static_cast<std::uint8_t>(button));
}

bool XTestInput::releaseButton(int button)
{
    return fakeInput(buttonRelease, static_cast<std::uint8_t>(button));
}

std::uint8_t XTestInput::keycodeFor(std::uint32_t keysym) const
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const xcb_get_keyboard_mapping_cookie_t cookie
        = xcb_get_keyboard_mapping(m_connection, setup->min_keycode, static_cast<std::uint8_t>(count));
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeDeleter> reply(
        xcb_get_keyboard_mapping_reply(m_connection, cookie, nullptr));
    if (!reply)
        return 0;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKeycode = reply->keysyms_per_keycode;
    for (int i = 0; i < count; ++i) {
        if (keysyms[i * perKeycode] == keysym)
            return static_cast<std::uint8_t>(setup->min_keycode + i);
    }
    return 0;
}

bool XTestInput::typeKey(std::uint32_t keysym)
{
    if (!isValid())
        return false;
    const std::uint8_t keycode = keycodeFor(keysym);
    if (keycode == 0)
        return false;
    return fakeInput(keyPress, keycode) && fakeInput(keyRelease, keycode);
}

std::uint32_t XTestInput::atom(const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, 0, std::strlen(name), name);
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : 0;
}

QByteArray XTestInput::property(std::uint32_t window, const char* name, std::uint32_t type)
{
    if (!isValid())
        return {};
    const xcb_get_property_cookie_t cookie = xcb_get_property(m_connection, 0, window, atom(name), type, 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    if (!reply || reply->type != type)
        return {};
    return QByteArray(
        static_cast<const char*>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
}

QString XTestInput::windowManagerName()
{
    // The manager names a window of its own on the root window, and that window carries the manager's name.
    const QByteArray check = property(m_root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (check.size() != sizeof(std::uint32_t))
        return {};
    std::uint32_t window = 0;
    std::memcpy(&window, check.constData(), sizeof window);
    return QString::fromUtf8(property(window, "_NET_WM_NAME", atom("UTF8_STRING")));
}

QList<std::uint32_t> XTestInput::clientsTitled(const QString& title)
{
    const QByteArray list = property(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    QList<std::uint32_t> found;
    for (qsizetype at = 0; at + qsizetype(sizeof(std::uint32_t)) <= list.size(); at += sizeof(std::uint32_t)) {
        std::uint32_t window = 0;
        std::memcpy(&window, list.constData() + at, sizeof window);
        if (QString::fromUtf8(property(window, "_NET_WM_NAME", atom("UTF8_STRING"))) == title)
            found << window;
    }
    return found;
}

std::optional<QPoint> XTestInput::rootPosition(std::uint32_t window)
{
    if (!isValid())
        return std::nullopt;
    const xcb_translate_coordinates_cookie_t cookie = xcb_translate_coordinates(m_connection, window, m_root, 0, 0);
    std::unique_ptr<xcb_translate_coordinates_reply_t, FreeDeleter> reply(
        xcb_translate_coordinates_reply(m_connection, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    return QPoint(reply->dst_x, reply->dst_y);
}

bool XTestInput::activate(std::uint32_t window)
{
    if (!isValid())
        return false;
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // the request comes from a pager or taskbar, i.e. from the user
    message.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_void_cookie_t cookie = xcb_send_event_checked(m_connection, 0, m_root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&message));
    std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(m_connection, cookie));
    return !error;
}
