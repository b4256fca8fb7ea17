// PropertyBag: ordered named values and their stream format.
#include "widgets/ibutton/propertybag.h"

#include <algorithm>

#include <QDataStream>

namespace {

constexpr quint32 bagMarker = 0x69425047; // "iBPG"
constexpr quint16 bagFormat = 1;

} // namespace

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    if (defaultValue.isValid() && value == defaultValue)
        return;
    const auto it
        = std::find_if(m_entries.begin(), m_entries.end(), [&name](const auto& entry) { return entry.first == name; });
    if (it != m_entries.end())
        it->second = value;
    else
        m_entries.append({ name, value });
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = std::find_if(
        m_entries.cbegin(), m_entries.cend(), [&name](const auto& entry) { return entry.first == name; });
    return it != m_entries.cend() ? it->second : defaultValue;
}

bool PropertyBag::contains(const QString& name) const
{
    return std::any_of(
        m_entries.cbegin(), m_entries.cend(), [&name](const auto& entry) { return entry.first == name; });
}

QStringList PropertyBag::keys() const
{
    QStringList names;
    names.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        names << entry.first;
    return names;
}

QDataStream& operator<<(QDataStream& out, const PropertyBag& bag)
{
    const QStringList names = bag.keys();
    out << bagMarker << bagFormat << quint32(names.size());
    for (const QString& name : names)
        out << name << bag.ReadProperty(name);
    return out;
}

QDataStream& operator>>(QDataStream& in, PropertyBag& bag)
{
    quint32 marker = 0;
    quint16 format = 0;
    quint32 count = 0;
    in >> marker >> format >> count;
    if (in.status() != QDataStream::Ok)
        return in;
    if (marker != bagMarker || format != bagFormat) {
        in.setStatus(QDataStream::ReadCorruptData);
        return in;
    }
    // The count comes from the stream, so nothing is reserved from it: a damaged count ends at the
    // stream's end instead of allocating.
    PropertyBag read;
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        QVariant value;
        in >> name >> value;
        if (in.status() != QDataStream::Ok)
            return in;
        read.WriteProperty(name, value);
    }
    bag = read;
    return in;
}
