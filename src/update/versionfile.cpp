// The update server's version file: built-in defaults and the parser.
#include "update/versionfile.h"

#include <QStringList>

#include "rename/numbertext.h"
#include "rename/spacetext.h"
#include "update/buildconfig.h"

using namespace Qt::StringLiterals;

UpdateDefaults UpdateDefaults::forServer(const QString& baseAddress, const QString& homePage)
{
    QString base = baseAddress;
    while (base.endsWith(u'/'))
        base.chop(1);
    UpdateDefaults d;
    d.ownVersion = u"1.0"_s;
    d.baseAddress = base;
    d.downloadAddress = base + u"/rename/rename.rar"_s;
    d.homePage = homePage;
    d.creditText = u"By 青禾木舟"_s;
    return d;
}

UpdateDefaults UpdateDefaults::builtIn()
{
    return forServer(QStringLiteral(QINGHE_UPDATE_BASE_URL), QStringLiteral(QINGHE_HOME_PAGE_URL));
}

static bool isBlank(const QString& field)
{
    return spacetext::isBlank(field);
}

VersionInfo parseVersionFile(const QString& text, const UpdateDefaults& defaults)
{
    VersionInfo info;
    const QStringList fields = text.split(u'|');
    QString versionText;
    if (numbertext::parse(fields[0])) {
        versionText = fields[0];
        // Each label is written only when every field its rule reads is there, whichever branch is taken.
        if (fields.size() > 1)
            info.softUrl = fields[1];
        if (fields.size() > 4)
            info.creditText = isBlank(fields[2]) ? defaults.creditText : fields[4];
        if (fields.size() > 5)
            info.creditUrl = isBlank(fields[3]) ? defaults.homePage : fields[5];
    } else {
        info.softUrl = defaults.downloadAddress;
        info.creditText = defaults.creditText;
        info.creditUrl = defaults.homePage;
    }
    // A comparison of texts, not an ordering: any other version, an older one included, is announced.
    if (!versionText.isEmpty() && spacetext::trimSpaces(versionText) != defaults.ownVersion) {
        info.showNewVersion = true;
        info.newVersionCaption = u"发现新版本"_s + versionText + u" 点此下载"_s;
    }
    return info;
}
