#pragma once
// The fixed content of the sample database: the dictionary and territorial rows that every
// road-inventory database holds, and the words the generator builds titles from.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

class TSampleRandom;

struct TDictionaryTable {
    QString Table;
    QString KeyColumn;
    QStringList Columns;  // without the key column
    QVector<QVariantList> Rows;
    // Column position -> dictionary table: the value is a row index of that table.
    QHash<int, QString> References;
    // A destination "with dictionaries" holds every row of it (others lack their last row).
    bool CompleteInDestination = false;
};

// In writing order: a table comes after the tables it refers to.
const QVector<TDictionaryTable>& SampleDictionaries();
// One of them by name; raises Exception for a name that is not a sample dictionary.
const TDictionaryTable& SampleDictionary(const QString& table);

// Words of the generated rows.
struct TSampleWords {
    QStringList Roads, ObjectKinds, Rivers, SectionEnds, EventNotes, DefectPlaces, RepairWorks,
        AccidentKinds, CarMakes, People, Roles, Streets, Users, LogChanges, PhotoCaptions;
};
const TSampleWords& SampleWords();

// A small picture-like large object (a PNG signature followed by seeded bytes).
QByteArray SamplePicture(TSampleRandom& random, int minSize, int maxSize);
