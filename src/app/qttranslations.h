// Qt's own texts in Simplified Chinese: dialogs, standard buttons and context menus.
#pragma once

class QCoreApplication;

/**
 * Installs Qt's Simplified Chinese translations (qtbase_zh_CN.qm from Qt's translations folder) into `app`
 * and makes Simplified Chinese the default locale, so Qt's dialogs, standard buttons and context menus read
 * in Chinese like the rest of the window, whatever the system's language. Call it before any widget is
 * made. Returns false, changing nothing, when the translation file is not installed.
 */
bool installQtChinese(QCoreApplication& app);
