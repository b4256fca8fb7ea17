// The name generator for both plans.
#include "rename/namegenerator.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <limits>
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

} // namespace

NameRecipe::NameRecipe(const PlanSettings& settings)
    : m_settings(settings)
    , m_fixedExtension(spacetext::trimSpaces(settings.extensionText).toString())
{
    if (settings.plan != Plan::Numbering)
        return;
    // The start is rounded once and the rows count on from there: rounding each row's own value would make
    // -1.5 give -2, -1, 1 (0.5 rounds away from zero too) and skip a number.
    if (const std::optional<double> start = numbertext::parse(settings.startText))
        m_first = std::round(*start);
    m_width = paddingWidth(settings.digitsText);
}

QString NameRecipe::numbered(qsizetype row, QStringView extension) const
{
    if (!m_first)
        return {};
    const NumberText number(*m_first + double(row), m_width);
    return joined({ m_settings.prefix, number.view(), m_settings.suffix, extension });
}

QString NameRecipe::replaced(const QString& old) const
{
    const qsizetype dot = extensionStart(old);
    const QStringView base = QStringView(old).first(dot);
    const QStringView extension = m_fixedExtension.isEmpty() ? QStringView(old).sliced(dot) : m_fixedExtension;
    const PlanSettings& s = m_settings;
    if (!s.replaceOld.isEmpty() && base.contains(s.replaceOld, Qt::CaseSensitive)) {
        QString core = base.toString();
        core.replace(s.replaceOld, s.replaceNew, Qt::CaseSensitive);
        return joined({ s.addBefore, core, s.addAfter, extension });
    }
    return joined({ s.addBefore, base, s.addAfter, extension });
}

QString NameRecipe::name(qsizetype row, const QString& oldName) const
{
    if (m_settings.plan != Plan::Numbering)
        return replaced(oldName);
    const QStringView extension
        = m_fixedExtension.isEmpty() ? QStringView(oldName).sliced(extensionStart(oldName)) : m_fixedExtension;
    return numbered(row, extension);
}

void NameRecipe::fill(
    const QStringList& oldNames, const Extensions* extensions, QString* out, qsizetype begin, qsizetype end) const
{
    if (m_settings.plan != Plan::Numbering) {
        for (qsizetype i = begin; i < end; ++i)
            out[i] = replaced(oldNames.at(i));
        return;
    }
    if (!m_first) { // every name empty; `out` may hold the names of an older column
        std::fill(out + begin, out + end, QString());
        return;
    }
    if (!m_fixedExtension.isEmpty() || !extensions) {
        for (qsizetype i = begin; i < end; ++i)
            out[i] = name(i, oldNames.at(i));
        return;
    }
    // The extensions are read in order rather than from each old name wherever it lies in memory.
    for (qsizetype i = begin; i < end; ++i)
        out[i] = numbered(i, extensions->at(i));
}

namespace {

QStringList generateNames(const PlanSettings& settings, const QStringList& oldNames, const Extensions* extensions)
{
    QStringList names(oldNames.size());
    NameRecipe(settings).fill(oldNames, extensions, names.data(), 0, oldNames.size());
    return names;
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
    // The last extension met in each of a few slots, chosen by hash: a folder of photos and their sidecar
    // files finds almost every extension there. One that is not there is kept again, never looked up further,
    // so a million distinct extensions cost what they would without sharing, and no more.
    constexpr size_t kSlots = 256;
    std::array<quint32, kSlots> recent;
    recent.fill(std::numeric_limits<quint32>::max());
    m_kind.reserve(size_t(oldNames.size()));
    for (const QString& old : oldNames) {
        const QStringView extension = QStringView(old).sliced(extensionStart(old));
        quint32& slot = recent[qHash(extension) % kSlots];
        if (slot == std::numeric_limits<quint32>::max() || kind(slot) != extension) {
            m_text += extension;
            m_end.push_back(m_text.size());
            slot = quint32(m_end.size() - 1);
        }
        m_kind.push_back(slot);
    }
    m_text.squeeze();
    m_end.shrink_to_fit();
}
