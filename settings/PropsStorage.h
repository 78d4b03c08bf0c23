#pragma once
// Stored component properties: each entry "component.property" names a child of the window
// and one of its Qt properties; saving writes the property's value as text under
// "component_property", restoring reads it back with the current value as the default.

#include <QList>
#include <QMetaProperty>
#include <QPointer>
#include <QString>
#include <QStringList>

class TStorage;

// The descendant of owner with that object name, letter case ignored; none when absent.
QObject* FindComponent(QObject* owner, const QString& name);

class TPropsStorage {
public:
    void SetEntries(const QStringList& entries);
    // Bound entries under their components' current names; unbound ones as they were given.
    QStringList Entries() const;

    // Parses and binds every entry to a component of owner; entries that do not parse or name
    // no component are deleted. Later SetEntries bind at once.
    void Bind(QObject* owner);

    void Save(TStorage& storage);
    void Restore(TStorage& storage);

private:
    struct TEntry {
        QString Text;
        QPointer<QObject> Component;
        QString Property;
    };
    void BindEntries();
    void DropRemovedComponents();
    // Calls action(component, property, value name, visited objects) for each bound entry
    // whose property takes part.
    template <class F>
    void ForEachBoundProperty(F action);

    QList<TEntry> Items;
    QPointer<QObject> Owner;
};

// The text of a property by its kind, and the applying of such a text; empty kinds (events,
// value types the table does not know) do not take part.
bool IsStorableProperty(const QMetaProperty& property);
QString PropertyText(const QObject* object, const QMetaProperty& property);
void ApplyPropertyText(QObject* object, const QMetaProperty& property, const QString& text);
