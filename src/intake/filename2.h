// FileName2: splitting an open-file dialog's multi-selection text into a folder and bare file names.
#pragma once

#include <QString>
#include <QStringList>

/**
 * Splits the selection text of a multi-select open-file dialog.
 *
 * `text` is a sequence of pieces, each ended by a NUL: either one full path ("/photos/a.jpg" NUL), or a
 * folder followed by two or more bare names ("/photos" NUL "a.jpg" NUL "b.jpg" NUL). Pieces that are
 * empty or hold only spaces are dropped; kept pieces are not trimmed. A text without any NUL counts as one
 * full path.
 *
 * The result: element 0 is the folder, ending in "/" unless it is empty; elements 1..n are the bare names in
 * the order given. One full path is split at its last "/" (no "/": empty folder, the whole path as the
 * name). A text that yields no piece gives one element, the empty text: no file chosen.
 * Only "/" separates folder and name; a backslash is an ordinary character of a name.
 */
QStringList FileName2(const QString& text);
