// Loading Qt's Simplified Chinese translations.
#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installQtChinese(QCoreApplication& app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    auto* translator = new QTranslator(&app);
    // qtbase holds the texts of Qt Widgets (file dialog, message box, line edit menu); Debian ships it in
    // qt6-translations-l10n.
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    QLocale::setDefault(chinese); // dates and sizes in the file dialog
    return true;
}
