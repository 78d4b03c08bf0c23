#include "settings/PropsStorage.h"

#include "settings/Storage.h"
#include "support/Exception.h"

#include <QMetaEnum>
#include <QRegularExpression>
#include <QSet>
#include <QVariant>

namespace {

enum class TKind { None, Integer, Character, Enumeration, Float, Text, Set, Object };

TKind KindOf(const QMetaProperty& property) {
    if (!property.isReadable() || !property.isWritable()) return TKind::None;
    if (property.isFlagType()) return TKind::Set;
    if (property.isEnumType()) return TKind::Enumeration;
    switch (property.metaType().id()) {
        case QMetaType::Bool:  // an enumeration of False and True
            return TKind::Enumeration;
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
        case QMetaType::Long: case QMetaType::ULong: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::SChar: case QMetaType::UChar:
            return TKind::Integer;
        case QMetaType::QChar: case QMetaType::Char: case QMetaType::Char16:
            return TKind::Character;
        case QMetaType::Float: case QMetaType::Double:
            return TKind::Float;
        case QMetaType::QString:
            return TKind::Text;
        default:
            break;
    }
    if (property.metaType().flags() & QMetaType::PointerToQObject) return TKind::Object;
    return TKind::None;
}

const char* const BoolNames[2] = {"False", "True"};

// The single-bit members of a flag type with bit index below limit, as (name, bit value).
QList<QPair<QString, uint>> SetMembers(const QMetaEnum& enumerator, int limit) {
    QList<QPair<QString, uint>> members;
    for (int i = 0; i < enumerator.keyCount(); ++i) {
        const uint value = static_cast<uint>(enumerator.value(i));
        if (value == 0 || (value & (value - 1)) != 0) continue;  // not a single member
        if (static_cast<quint64>(value) >= (quint64(1) << limit)) continue;
        members.append({QString::fromLatin1(enumerator.key(i)), value});
    }
    return members;
}

QString SetText(const QMetaEnum& enumerator, uint value) {
    QStringList names;
    for (const auto& member : SetMembers(enumerator, 16))
        if (value & member.second) names.append(member.first);
    return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
}

uint SetValue(const QMetaEnum& enumerator, const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,\\[\\]]+"));
    const auto members = SetMembers(enumerator, 32);
    uint value = 0;
    for (const QString& word : text.split(separators, Qt::SkipEmptyParts))
        for (const auto& member : members)
            if (member.first.compare(word, Qt::CaseInsensitive) == 0) value |= member.second;
    return value;
}

QMetaProperty FindProperty(const QObject* object, const QString& name) {
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return meta->property(i);
    return QMetaProperty();
}

// Calls action for each storable property of an object referenced by an object property, with
// the value name extended by that property's name; an object already visited is not again.
template <class F>
void ForEachReferencedProperty(QObject* referenced, const QString& valueName, QSet<const QObject*>& visited,
                               F action) {
    if (!referenced || visited.contains(referenced)) return;
    visited.insert(referenced);
    const QMetaObject* meta = referenced->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (IsStorableProperty(meta->property(i)))
            action(referenced, meta->property(i), valueName + QString::fromLatin1(meta->property(i).name()));
}

// An object property: empty text under its own name, then each property of the referenced
// object under the name extended by that property's name.
void SaveProperty(TStorage& storage, QObject* object, const QMetaProperty& property, const QString& valueName,
                  QSet<const QObject*>& visited) {
    if (KindOf(property) != TKind::Object) {
        storage.WriteString(valueName, PropertyText(object, property).trimmed());
        return;
    }
    storage.WriteString(valueName, QString());
    ForEachReferencedProperty(property.read(object).value<QObject*>(), valueName, visited,
                              [&](QObject* inner, const QMetaProperty& innerProperty, const QString& innerName) {
                                  SaveProperty(storage, inner, innerProperty, innerName, visited);
                              });
}

void RestoreProperty(TStorage& storage, QObject* object, const QMetaProperty& property, const QString& valueName,
                     QSet<const QObject*>& visited) {
    if (KindOf(property) != TKind::Object) {
        // One property that cannot take its text stays as it was; the others go on.
        try {
            const QString text = storage.ReadString(valueName, PropertyText(object, property).trimmed());
            ApplyPropertyText(object, property, text);
        } catch (const std::exception&) {
        }
        return;
    }
    ForEachReferencedProperty(property.read(object).value<QObject*>(), valueName, visited,
                              [&](QObject* inner, const QMetaProperty& innerProperty, const QString& innerName) {
                                  RestoreProperty(storage, inner, innerProperty, innerName, visited);
                              });
}

}  // namespace

QObject* FindComponent(QObject* owner, const QString& name) {
    if (!owner || name.isEmpty()) return nullptr;
    for (QObject* child : owner->findChildren<QObject*>())
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    return nullptr;
}

bool IsStorableProperty(const QMetaProperty& property) { return KindOf(property) != TKind::None; }

QString PropertyText(const QObject* object, const QMetaProperty& property) {
    const QVariant value = property.read(object);
    switch (KindOf(property)) {
        case TKind::Integer:
            return property.metaType().id() == QMetaType::ULongLong ? QString::number(value.toULongLong())
                                                                    : QString::number(value.toLongLong());
        case TKind::Character:
            return property.metaType().id() == QMetaType::Char ? QString(QLatin1Char(value.value<char>()))
                                                               : QString(value.value<QChar>());
        case TKind::Enumeration:
            if (property.metaType().id() == QMetaType::Bool) return QString::fromLatin1(BoolNames[value.toBool()]);
            return QString::fromLatin1(property.enumerator().valueToKey(value.toInt()));
        case TKind::Float:
            return QString::number(value.toDouble(), 'g', property.metaType().id() == QMetaType::Float ? 7 : 15);
        case TKind::Text:
            return value.toString();
        case TKind::Set:
            return SetText(property.enumerator(), value.toUInt());
        case TKind::Object:
        case TKind::None:
            break;
    }
    return QString();
}

void ApplyPropertyText(QObject* object, const QMetaProperty& property, const QString& text) {
    switch (KindOf(property)) {
        case TKind::Integer: {
            bool ok = false;
            const qlonglong number = text.toLongLong(&ok);
            property.write(object, ok ? number : 0);
            return;
        }
        case TKind::Character:
            if (text.isEmpty()) return;
            if (property.metaType().id() == QMetaType::Char)
                property.write(object, QVariant::fromValue(static_cast<char>(text.at(0).unicode())));
            else
                property.write(object, QVariant::fromValue(text.at(0)));
            return;
        case TKind::Enumeration:
            if (property.metaType().id() == QMetaType::Bool) {
                for (int b = 0; b < 2; ++b)
                    if (text.compare(QLatin1String(BoolNames[b]), Qt::CaseInsensitive) == 0)
                        property.write(object, b == 1);
                return;
            }
            for (int i = 0; i < property.enumerator().keyCount(); ++i)
                if (text.compare(QLatin1String(property.enumerator().key(i)), Qt::CaseInsensitive) == 0) {
                    property.write(object, property.enumerator().value(i));
                    return;
                }
            return;
        case TKind::Float: {
            bool ok = false;
            const double number = text.trimmed().toDouble(&ok);
            if (!ok) throw Exception(QStringLiteral("\"%1\" is not a valid floating point value").arg(text));
            property.write(object, number);
            return;
        }
        case TKind::Text:
            property.write(object, text);
            return;
        case TKind::Set:
            property.write(object, SetValue(property.enumerator(), text));
            return;
        case TKind::Object:
        case TKind::None:
            return;
    }
}

void TPropsStorage::SetEntries(const QStringList& entries) {
    Items.clear();
    for (const QString& text : entries) Items.append({text, nullptr, QString()});
    if (Owner) BindEntries();
}

QStringList TPropsStorage::Entries() const {
    QStringList result;
    for (const TEntry& entry : Items) {
        if (!Owner) result.append(entry.Text);
        else if (entry.Component) result.append(entry.Component->objectName() + QLatin1Char('.') + entry.Property);
    }
    return result;
}

void TPropsStorage::Bind(QObject* owner) {
    Owner = owner;
    BindEntries();
}

void TPropsStorage::BindEntries() {
    QList<TEntry> bound;
    for (const TEntry& entry : std::as_const(Items)) {
        const int dot = entry.Text.indexOf(QLatin1Char('.'));
        if (dot < 0) continue;
        const QString componentName = entry.Text.left(dot).trimmed();
        const QString propertyName = entry.Text.mid(dot + 1).trimmed();
        if (componentName.isEmpty() || propertyName.isEmpty()) continue;
        QObject* component = FindComponent(Owner, componentName);
        if (!component) continue;
        bound.append({entry.Text, component, propertyName});
    }
    Items = bound;
}

void TPropsStorage::DropRemovedComponents() {
    if (!Owner) return;
    Items.removeIf([](const TEntry& entry) { return entry.Component.isNull(); });
}

template <class F>
void TPropsStorage::ForEachBoundProperty(F action) {
    DropRemovedComponents();
    for (const TEntry& entry : std::as_const(Items)) {
        if (!entry.Component) continue;
        const QMetaProperty property = FindProperty(entry.Component, entry.Property);
        if (!property.isValid() || !IsStorableProperty(property)) continue;
        QSet<const QObject*> visited{entry.Component};
        action(entry.Component.data(), property,
               entry.Component->objectName() + QLatin1Char('_') + QString::fromLatin1(property.name()), visited);
    }
}

void TPropsStorage::Save(TStorage& storage) {
    ForEachBoundProperty([&](QObject* component, const QMetaProperty& property, const QString& valueName,
                             QSet<const QObject*>& visited) {
        SaveProperty(storage, component, property, valueName, visited);
    });
}

void TPropsStorage::Restore(TStorage& storage) {
    ForEachBoundProperty([&](QObject* component, const QMetaProperty& property, const QString& valueName,
                             QSet<const QObject*>& visited) {
        RestoreProperty(storage, component, property, valueName, visited);
    });
}
