// Spaces around typed and received text: trimming them, and the blank test used for names and fields.
#include "rename/spacetext.h"

#include <QLatin1Char>

namespace spacetext {

QStringView trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

bool isBlank(QStringView text)
{
    return trimSpaces(text).isEmpty();
}

} // namespace spacetext
