// The name generator for both plans.
#include "rename/namegenerator.h"

#include <algorithm>
#include <array>
#include <initializer_list>
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

// Digits of one number, written right to left into a fixed buffer so no allocation is needed.
class NumberText {
public:
    // `value` in decimal digits, zero-padded on the left to `width` digits after any sign.
    NumberText(double value, int width)
    {
        if (std::fabs(value) >= 9.0e18) { // beyond a 64-bit integer: print the double's whole digits
            m_wide = QString::number(value, 'f', 0);
            const bool negative = m_wide.startsWith(QLatin1Char('-'));
            if (negative)
                m_wide.remove(0, 1);
            if (m_wide.size() < width)
                m_wide.prepend(QString(width - m_wide.size(), QLatin1Char('0')));
            if (negative)
                m_wide.prepend(QLatin1Char('-'));
            m_view = m_wide;
            return;
        }
        long long n = std::llround(value);
        const bool negative = n < 0;
        if (negative)
            n = -n;
        qsizetype length = 0;
        do {
            m_buffer[m_buffer.size() - 1 - length++] = char16_t(u'0' + n % 10);
            n /= 10;
        } while (n > 0);
        while (length < width)
            m_buffer[m_buffer.size() - 1 - length++] = u'0';
        if (negative)
            m_buffer[m_buffer.size() - 1 - length++] = u'-';
        m_view = QStringView(m_buffer.data() + m_buffer.size() - length, length);
    }
    NumberText(const NumberText&) = delete;
    NumberText& operator=(const NumberText&) = delete;

    QStringView view() const { return m_view; }

private:
    std::array<char16_t, kMaxDigits + 24> m_buffer;
    QString m_wide;
    QStringView m_view;
};

// One name from its pieces, in a single allocation of exactly its length: a refresh makes 100,000 of them
// on every keystroke, and growing each name piece by piece costs more than the rest of the refresh.
QString joined(std::initializer_list<QStringView> pieces)
{
    qsizetype length = 0;
    for (QStringView piece : pieces)
        length += piece.size();
    QString name(length, Qt::Uninitialized);
    QChar* out = name.data();
    for (QStringView piece : pieces) {
        std::copy(piece.begin(), piece.end(), out);
        out += piece.size();
    }
    return name;
}

QStringList numberedNames(
    const PlanSettings& s, const QStringList& oldNames, const QString& fixedExtension, const Extensions* extensions)
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
    for (qsizetype i = 0; i < oldNames.size(); ++i) {
        QStringView extension = fixedExtension;
        if (fixedExtension.isEmpty()) {
            const QString& old = oldNames.at(i);
            extension = extensions ? extensions->at(i) : QStringView(old).sliced(extensionStart(old));
        }
        const NumberText number(first + double(i), width);
        names.append(joined({ s.prefix, number.view(), s.suffix, extension }));
    }
    return names;
}

QStringList replacedNames(const PlanSettings& s, const QStringList& oldNames, const QString& fixedExtension)
{
    QStringList names;
    names.reserve(oldNames.size());
    for (const QString& old : oldNames) {
        const qsizetype dot = extensionStart(old);
        const QStringView base = QStringView(old).first(dot);
        const QStringView extension
            = fixedExtension.isEmpty() ? QStringView(old).sliced(dot) : QStringView(fixedExtension);
        if (!s.replaceOld.isEmpty() && base.contains(s.replaceOld, Qt::CaseSensitive)) {
            QString core = base.toString();
            core.replace(s.replaceOld, s.replaceNew, Qt::CaseSensitive);
            names.append(joined({ s.addBefore, core, s.addAfter, extension }));
        } else {
            names.append(joined({ s.addBefore, base, s.addAfter, extension }));
        }
    }
    return names;
}

QStringList generateNames(const PlanSettings& settings, const QStringList& oldNames, const Extensions* extensions)
{
    const QString fixedExtension = spacetext::trimSpaces(settings.extensionText).toString();
    if (settings.plan == Plan::Numbering)
        return numberedNames(settings, oldNames, fixedExtension, extensions);
    return replacedNames(settings, oldNames, fixedExtension);
}

} // namespace

QStringList generateNewNames(const PlanSettings& settings, const QStringList& oldNames)
{
    return generateNames(settings, oldNames, nullptr);
}

QStringList generateNewNames(const PlanSettings& settings, const QStringList& oldNames, const Extensions& extensions)
{
    Q_ASSERT(extensions.size() == oldNames.size());
    return generateNames(settings, oldNames, extensions.size() == oldNames.size() ? &extensions : nullptr);
}

Extensions::Extensions(const QStringList& oldNames)
{
    m_end.reserve(size_t(oldNames.size()));
    m_text.reserve(oldNames.size() * 5); // most extensions are 3 or 4 letters and a dot
    for (const QString& old : oldNames) {
        m_text += QStringView(old).sliced(extensionStart(old));
        m_end.push_back(m_text.size());
    }
}
