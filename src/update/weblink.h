// Deciding whether an address received from outside may be opened in the user's browser.
#pragma once

#include <optional>

#include <QString>
#include <QUrl>

namespace weblink {

/**
 * The web address that `text` names, when it is an absolute http or https address with a host
 * (surrounding white space, such as a line end left by the server's file, is ignored).
 * Anything else gives no value: an empty text, a relative address, "file:", "javascript:", "mailto:",
 * a local program path ("C:\\Windows\\notepad.exe", "/usr/bin/xterm") or a text that is not a valid URL.
 */
std::optional<QUrl> webAddress(const QString& text);

/// True when webAddress(text) has a value. The window opens an address only when this holds.
bool isWebAddress(const QString& text);

} // namespace weblink
