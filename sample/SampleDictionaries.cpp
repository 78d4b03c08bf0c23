// The dictionary and territorial rows of a sample database, with keys that depend on the
// order they are written in.

#include "sample/SampleContent.h"
#include "sample/SampleDatabase.h"
#include "sample/SampleRandom.h"
#include "sample/SampleWriter.h"
#include "sample/SampleWriting.h"

#include "db/ADOConnection.h"

#include <algorithm>

static QVector<int> WritingOrder(const TDictionaryTable& table, TDictionaryOrder order, TSampleRandom& random) {
    QVector<int> indexes;
    for (int i = 0; i < table.Rows.size(); ++i) indexes << i;
    if (order == TDictionaryOrder::Shuffled) {
        for (int i = static_cast<int>(indexes.size()) - 1; i > 0; --i) std::swap(indexes[i], indexes[random.Below(i + 1)]);
    } else {
        if (!table.CompleteInDestination && !indexes.isEmpty()) indexes.removeLast();
        std::reverse(indexes.begin(), indexes.end());
    }
    return indexes;
}

static void WriteDictionary(TADOConnection& connection, const TDictionaryTable& table, const QVector<int>& order,
                            TDictionaryKeys& keys) {
    QVector<int>& tableKeys = keys.Keys[table.Table];
    tableKeys.fill(0, table.Rows.size());
    for (int position = 0; position < order.size(); ++position) tableKeys[order[position]] = position + 1;

    TRowWriter writer(connection, table.Table, QStringList{table.KeyColumn} + table.Columns);
    for (int index : order) {
        QVariantList values{tableKeys[index]};
        for (int column = 0; column < table.Columns.size(); ++column) {
            const QVariant& value = table.Rows[index][column];
            const auto reference = table.References.constFind(column);
            if (reference != table.References.constEnd() && !value.isNull())
                values << keys.Key(reference.value(), value.toInt());
            else
                values << value;
        }
        writer.Write(values);
    }
}

TDictionaryKeys WriteDictionaries(TADOConnection& connection, TDictionaryOrder order, TSampleRandom& random) {
    TDictionaryKeys keys;
    for (const TDictionaryTable& table : SampleDictionaries())
        WriteDictionary(connection, table, WritingOrder(table, order, random), keys);
    return keys;
}

QStringList SampleDictionaryTables() {
    QStringList names;
    for (const TDictionaryTable& table : SampleDictionaries()) names << table.Table;
    return names;
}
