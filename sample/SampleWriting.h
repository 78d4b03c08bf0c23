#pragma once
// The steps of writing a sample database, shared by the generator's entry points.

#include <QHash>
#include <QString>
#include <QVector>

class TADOConnection;
class TSampleRandom;

// The key each dictionary row received, by table and row index (0: the row was not written).
struct TDictionaryKeys {
    QHash<QString, QVector<int>> Keys;
    int Key(const QString& table, int index) const { return Keys.value(table).value(index); }
    int RowCount(const QString& table) const { return static_cast<int>(Keys.value(table).size()); }
};

enum class TDictionaryOrder {
    Shuffled,            // every row, in an order drawn from the random sequence
    DestinationReverse,  // a working destination's rows: reverse order, the newest row missing
};

void CreateSampleSchema(TADOConnection& connection);
TDictionaryKeys WriteDictionaries(TADOConnection& connection, TDictionaryOrder order, TSampleRandom& random);
void WriteTitles(TADOConnection& connection, const TDictionaryKeys& dictionaries, int titles, int rowsPerTitle,
                 int firstTitleNumber, TSampleRandom& random);
