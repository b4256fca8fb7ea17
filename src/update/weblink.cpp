// Deciding whether an address received from outside may be opened in the user's browser.
#include "update/weblink.h"

using namespace Qt::StringLiterals;

namespace weblink {

std::optional<QUrl> webAddress(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http"_s && scheme != u"https"_s)
        return std::nullopt;
    return url;
}

bool isWebAddress(const QString& text)
{
    return webAddress(text).has_value();
}

} // namespace weblink
