#include "common/BenchQueries.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"

namespace {

void OpenConnection(TADOConnection& db, const QString& connection) {
    db.ConnectionString = connection;
    db.CommandTimeout = 0;
    db.Open();
}

}  // namespace

QStringList BenchRows(const QString& connection, const QString& sql) {
    TADOConnection db;
    OpenConnection(db, connection);
    TADOQuery query(&db);
    query.SetSQL(sql);
    query.Open();
    QStringList rows;
    for (; !query.Eof(); query.Next()) {
        QStringList values;
        for (int i = 0; i < query.FieldCount(); ++i) values << query.Fields(i).AsString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QVariant BenchScalar(const QString& connection, const QString& sql) {
    TADOConnection db;
    OpenConnection(db, connection);
    TADOQuery query(&db);
    query.SetSQL(sql);
    query.Open();
    return query.Eof() ? QVariant() : query.Fields(0).Value();
}

void BenchExecute(const QString& connection, const QString& sql) {
    TADOConnection db;
    OpenConnection(db, connection);
    TADOQuery query(&db);
    query.SetSQL(sql);
    query.ExecSQL();
}
