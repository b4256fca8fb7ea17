// PropertyBag: an ordered set of named values in which a control saves and restores its settings.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>

class QDataStream;

/**
 * Named values kept in the order they were first written.
 *
 * WriteProperty with a valid default leaves out a value equal to that default, so a saved bag holds
 * only what differs from a control's design; ReadProperty answers the default for a name that is
 * missing. Writing a name that is already present replaces its value in place. Names are case-sensitive.
 * The stream operators below store a bag (a marker, a format version, the count, then name and value
 * pairs); values must be types QVariant can stream (numbers, strings, QColor, QFont, QPixmap...).
 */
class PropertyBag {
public:
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = QVariant());
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;

    bool contains(const QString& name) const;
    /// The names in the order they were written.
    QStringList keys() const;
    qsizetype count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    void clear() { m_entries.clear(); }

private:
    QList<std::pair<QString, QVariant>> m_entries;
};

QDataStream& operator<<(QDataStream& out, const PropertyBag& bag);
/// Reads a bag written by operator<<. On a foreign or damaged stream the stream status is set to
/// ReadCorruptData (or ReadPastEnd) and `bag` is left as it was.
QDataStream& operator>>(QDataStream& in, PropertyBag& bag);
