// Spaces around typed and received text: trimming them, and the blank test used for names and fields.
#pragma once

#include <QStringView>

namespace spacetext {

/// `text` without leading and trailing spaces (only U+0020; tabs and other blanks stay).
QStringView trimSpaces(QStringView text);

/// True when `text` is empty or holds nothing but spaces (U+0020). A name such as "\t" is not blank.
bool isBlank(QStringView text);

} // namespace spacetext
