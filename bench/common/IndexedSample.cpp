// Indexes on every reference column of a copy of a sample database.

#include "common/IndexedSample.h"

#include "db/ADOQuery.h"
#include "sample/SampleDatabase.h"
#include "support/Exception.h"

#include <QFile>
#include <QStringList>

namespace {

QStringList ColumnPairs(TADOConnection& connection) {
    TADOQuery query(&connection);
    query.SetSQL(QStringLiteral("select distinct m.name, f.\"from\" from sqlite_master m, pragma_foreign_key_list(m.name) f "
                                "where m.type = 'table' order by 1, 2"));
    query.Open();
    QStringList pairs;
    for (; !query.Eof(); query.Next()) pairs << query.Fields(0).AsString() + QLatin1Char('|') + query.Fields(1).AsString();
    query.Close();
    return pairs;
}

}  // namespace

QString IndexedSampleFile(const QString& samplePath) {
    QString path = samplePath;
    path.replace(QStringLiteral(".db"), QStringLiteral("-indexed.db"));
    if (QFile::exists(path)) return path;
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!QFile::copy(samplePath, partial)) throw Exception(QStringLiteral("cannot copy ") + samplePath);
    {
        TADOConnection connection;
        connection.ConnectionString = SampleConnectionString(partial);
        connection.CommandTimeout = 0;
        connection.Open();
        // The section reference of road objects is indexed by the schema itself.
        for (const QString& pair : ColumnPairs(connection)) {
            const QString table = pair.section(QLatin1Char('|'), 0, 0);
            const QString column = pair.section(QLatin1Char('|'), 1, 1);
            TADOQuery index(&connection);
            index.SetSQL(QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_%1_%2\" ON %1 (%2)").arg(table, column));
            index.ExecSQL();
        }
    }
    QFile::rename(partial, path);
    return path;
}
