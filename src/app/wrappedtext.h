// Breaking long text into lines that fit a width, for tooltips of names that no screen could show on one line.
#pragma once

#include <QFont>
#include <QString>

namespace wrappedtext {

/// `text` with a line break wherever a line would be wider than `width` at `font`: between words where it
/// can, anywhere in a word (a file name) where it must. Existing line breaks stay.
QString wrapped(const QString& text, const QFont& font, int width);

} // namespace wrappedtext
