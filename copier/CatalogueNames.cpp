#include "copier/CatalogueNames.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "support/Exception.h"

bool IsWritableName(const QString& name, TADOConnection& connection) {
    return connection.Dialect().IsRegularName(name);
}

void RequireWritableName(const QString& name, TADOConnection& connection) {
    if (!IsWritableName(name, connection))
        throw Exception(QStringLiteral("Имя \"") + name +
                        QStringLiteral("\" из каталога базы данных нельзя записать в запрос без кавычек; "
                                       "таблица с таким именем или столбцом не переносится"));
}

QString UnwritableNameReason(const QString& table, TADOConnection& connection) {
    if (!IsWritableName(table, connection)) return QStringLiteral("ее имя нельзя записать в запрос без кавычек");
    TADOQuery query(&connection);
    query.SetSQL(connection.Dialect().ColumnListStatement(table));
    query.Open();
    QString reason;
    for (; !query.Eof() && reason.isEmpty(); query.Next()) {
        const QString column = query.FieldByName(QStringLiteral("name")).AsString();
        if (!IsWritableName(column, connection))
            reason = QStringLiteral("имя ее столбца \"") + column + QStringLiteral("\" нельзя записать в запрос без кавычек");
    }
    query.Close();
    return reason;
}
