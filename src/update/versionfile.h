// The update server's version file: the built-in defaults and the parser that turns an answer into label texts.
#pragma once

#include <optional>

#include <QMetaType>
#include <QString>

/**
 * The values the update check falls back on, and where it asks.
 * All addresses are kept as received or configured; nothing here is checked for being safe to open
 * (see weblink.h for that).
 */
struct UpdateDefaults {
    QString ownVersion; ///< this program's version, compared with the server's as text: "1.0"
    QString baseAddress; ///< the update server, e.g. "https://qinghe.example.org" (no trailing "/")
    QString downloadAddress; ///< default download address: baseAddress + "/rename/rename.rar"
    QString homePage; ///< the maker's home page; the logo opens it and it is the default credit address
    QString creditText; ///< default caption of the credit link: "By 青禾木舟"

    /// The defaults for a server at `baseAddress` (a trailing "/" is dropped) and the home page `homePage`.
    static UpdateDefaults forServer(const QString& baseAddress, const QString& homePage);
    /// The defaults compiled into this build (server and home page are build options).
    static UpdateDefaults builtIn();

    friend bool operator==(const UpdateDefaults&, const UpdateDefaults&) = default;
};

/**
 * What one version file means for the window's four update labels.
 * An empty optional means "the label keeps what it had"; a value (even an empty text) is written.
 */
struct VersionInfo {
    std::optional<QString> softUrl; ///< lbSoftUrl: the address the new-version link opens
    std::optional<QString> creditText; ///< lbADR: the credit link's caption
    std::optional<QString> creditUrl; ///< lbADUR: the address the credit link opens
    /// lbNewVersion: shown (red, underlined, with newVersionCaption) when true, hidden when false.
    bool showNewVersion = false;
    QString newVersionCaption; ///< "发现新版本" + version text + " 点此下载"; empty when not shown

    friend bool operator==(const VersionInfo&, const VersionInfo&) = default;
};

Q_DECLARE_METATYPE(VersionInfo)

/// The path of the version file under the server's base address.
inline QString versionFilePath()
{
    return QStringLiteral("/rename/v.txt");
}

/**
 * Reads a version file already decoded to text. Fields are split at every "|".
 * When field 0 reads as a number (numbertext::parse), field 1 is the download address, field 4 the
 * credit text (used unless field 2 is blank) and field 5 the credit address (used unless field 3 is
 * blank); a label whose fields are missing keeps what it had. Otherwise every label takes its default.
 * The new-version link is shown when field 0, trimmed of spaces, differs from defaults.ownVersion.
 */
VersionInfo parseVersionFile(const QString& text, const UpdateDefaults& defaults);
