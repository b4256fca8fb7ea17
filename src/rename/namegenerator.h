// The name generator: new names from the plan settings and the old names, with no window and no disk.
#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

enum class Plan {
    Numbering, // prefix + running number + suffix
    Replace, // text before + base name with a text replaced + text after
};

/// The plan fields as the window's controls hold them, untrimmed.
struct PlanSettings {
    Plan plan = Plan::Numbering;
    QString prefix; // txtNewName1
    QString startText = QStringLiteral("1"); // txtNewName2
    QString digitsText; // txtNewNameF
    QString suffix; // txtNewName3
    QString replaceOld; // txtReplaceOld
    QString replaceNew; // txtReplaceNew
    QString addBefore; // txtAdd1
    QString addAfter; // txtAdd2
    QString extensionText; // txtExp: empty keeps each file's own extension
};

/// Longest zero padding: no file name can be longer, and a larger count would only exhaust memory.
inline constexpr int kMaxDigits = 255;

/**
 * The new name of every old name, top to bottom, for the given settings.
 *
 * Numbering plan: row i (from 0) gets prefix + (start + i) padded with zeros to the digit count + suffix
 * + extension. The start text reads as a number (see numbertext::parse); when it does not, every name
 * is empty. A fractional start is rounded once to the nearest whole number, halves away from zero, and the
 * rows count on from there (-1.5 gives -2, -1, 0). A negative number keeps its sign before the zeros (-005). The digit
 * count is trimmed of spaces; empty, "0", "1" or text that is no number give no padding; it is capped at kMaxDigits.
 * Replace plan: text before + base name with every non-overlapping, case-sensitive occurrence of
 * replaceOld replaced + text after + extension.
 * Extension: the trimmed extension text when not empty, otherwise the old name from its last dot.
 */
QStringList generateNewNames(const PlanSettings& settings, const QStringList& oldNames);

/**
 * Every old name's extension (from its last dot; empty without one) laid out in one text. Numbering
 * 100,000 rows then reads the extensions in order, instead of visiting each old name wherever it lies in
 * memory, which costs more than making the new names. Build it once per change of the old names.
 * A folder holds few kinds of file: an extension met again is kept once, and a row holds only its number
 * (4 bytes a row rather than the 18 its own copy and end would take).
 */
class Extensions {
public:
    explicit Extensions(const QStringList& oldNames);
    qsizetype size() const { return qsizetype(m_kind.size()); }
    QStringView at(qsizetype row) const { return kind(m_kind[size_t(row)]); }

private:
    QStringView kind(quint32 kind) const
    {
        const qsizetype begin = kind == 0 ? 0 : m_end[kind - 1];
        return QStringView(m_text).sliced(begin, m_end[kind] - begin);
    }

    QString m_text; // the distinct extensions met, one after the other
    std::vector<qsizetype> m_end; // where each of them ends in m_text
    std::vector<quint32> m_kind; // each row's extension, as its place in m_end (rows are fewer than 2^31)
};

/// generateNewNames, with the extensions of `oldNames` already laid out (`extensions` of the same names).
QStringList generateNewNames(const PlanSettings& settings, const QStringList& oldNames, const Extensions& extensions);

/**
 * The plan settings read once (the start number, the padding, the fixed extension), so that any row's new name
 * can be made alone: the window makes the rows it shows at once and the whole column off its thread, in parts.
 * name(row, …) and fill() give exactly what generateNewNames gives at those rows.
 */
class NameRecipe {
public:
    explicit NameRecipe(const PlanSettings& settings);

    /// The new name of row `row` (from 0) whose old name is `oldName`.
    QString name(qsizetype row, const QString& oldName) const;
    /// Writes the new names of rows [begin, end) of `oldNames` to out[begin..end); `extensions`, when not
    /// null, are those of `oldNames` laid out.
    void fill(
        const QStringList& oldNames, const Extensions* extensions, QString* out, qsizetype begin, qsizetype end) const;

private:
    QString numbered(qsizetype row, QStringView extension) const;
    QString replaced(const QString& oldName) const;

    PlanSettings m_settings;
    QString m_fixedExtension; // trimmed; empty: each old name keeps its own
    std::optional<double> m_first; // the rounded start number; none when the start text is no number
    int m_width = 0;
};

/// The number of zeros numbers are padded to, from the digit count field's text.
int paddingWidth(const QString& digitsText);

/// The position of the extension's dot in `name`, or the name's length when it has no dot.
qsizetype extensionStart(const QString& name);
