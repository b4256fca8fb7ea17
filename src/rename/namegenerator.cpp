// The name generator for both plans.
#include "rename/namegenerator.h"

#include <array>
#include <cmath>

#include "rename/numbertext.h"
#include "rename/spacetext.h"

int paddingWidth(const QString& digitsText)
{
    const QStringView trimmed = spacetext::trimSpaces(digitsText);
    if (trimmed.isEmpty() || trimmed == u"0" || trimmed == u"1")
        return 0;
    const std::optional<double> value = numbertext::parse(trimmed);
    if (!value || *value < 0.5)
        return 0;
    return static_cast<int>(std::min(std::round(*value), double(kMaxDigits)));
}

qsizetype extensionStart(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name.size() : dot;
}

namespace {

// Appends `value` in decimal digits, zero-padded on the left to `width` digits after any sign.
void appendNumber(QString& out, double value, int width)
{
    if (std::fabs(value) >= 9.0e18) { // beyond a 64-bit integer: print the double's whole digits
        QString digits = QString::number(value, 'f', 0);
        const bool negative = digits.startsWith(QLatin1Char('-'));
        if (negative) {
            out += QLatin1Char('-');
            digits.remove(0, 1);
        }
        if (digits.size() < width)
            out += QString(width - digits.size(), QLatin1Char('0'));
        out += digits;
        return;
    }
    long long n = std::llround(value);
    if (n < 0) {
        out += QLatin1Char('-');
        n = -n;
    }
    // Digits and padding are written right to left into one buffer and appended at once.
    std::array<char16_t, kMaxDigits + 24> buffer;
    qsizetype length = 0;
    do {
        buffer[buffer.size() - 1 - length++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (length < width)
        buffer[buffer.size() - 1 - length++] = u'0';
    out.append(reinterpret_cast<const QChar*>(buffer.data() + buffer.size() - length), length);
}

QStringList numberedNames(const PlanSettings& s, const QStringList& oldNames, const QString& fixedExtension)
{
    QStringList names;
    names.reserve(oldNames.size());
    const std::optional<double> start = numbertext::parse(s.startText);
    if (!start) {
        names.resize(oldNames.size());
        return names;
    }
    // The start is rounded once and the rows count on from there: rounding each row's own value would make
    // -1.5 give -2, -1, 1 (0.5 rounds away from zero too) and skip a number.
    const double first = std::round(*start);
    const int width = paddingWidth(s.digitsText);
    const qsizetype fixedLength = s.prefix.size() + s.suffix.size() + std::max(width, 21);
    for (qsizetype i = 0; i < oldNames.size(); ++i) {
        const QString& old = oldNames.at(i);
        const QStringView extension
            = fixedExtension.isEmpty() ? QStringView(old).sliced(extensionStart(old)) : QStringView(fixedExtension);
        QString name;
        name.reserve(fixedLength + extension.size());
        name += s.prefix;
        appendNumber(name, first + double(i), width);
        name += s.suffix;
        name += extension;
        names.append(std::move(name));
    }
    return names;
}

QStringList replacedNames(const PlanSettings& s, const QStringList& oldNames, const QString& fixedExtension)
{
    QStringList names;
    names.reserve(oldNames.size());
    for (const QString& old : oldNames) {
        const qsizetype dot = extensionStart(old);
        QString core = old.left(dot);
        if (!s.replaceOld.isEmpty())
            core.replace(s.replaceOld, s.replaceNew, Qt::CaseSensitive);
        const QStringView extension
            = fixedExtension.isEmpty() ? QStringView(old).sliced(dot) : QStringView(fixedExtension);
        QString name;
        name.reserve(s.addBefore.size() + core.size() + s.addAfter.size() + extension.size());
        name += s.addBefore;
        name += core;
        name += s.addAfter;
        name += extension;
        names.append(std::move(name));
    }
    return names;
}

} // namespace

QStringList generateNewNames(const PlanSettings& settings, const QStringList& oldNames)
{
    const QString fixedExtension = spacetext::trimSpaces(settings.extensionText).toString();
    if (settings.plan == Plan::Numbering)
        return numberedNames(settings, oldNames, fixedExtension);
    return replacedNames(settings, oldNames, fixedExtension);
}
