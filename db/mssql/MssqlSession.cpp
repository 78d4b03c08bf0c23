// Running statements on SQL Server through ODBC.

#include "db/mssql/MssqlSession.h"

#include "db/mssql/MssqlTypes.h"
#include "db/mssql/MssqlValueReading.h"
#include "db/mssql/OdbcConnection.h"

#include <QSqlField>

TMssqlSession::TMssqlSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout)
    : TQtSession(db, qtName, commandTimeout, true) {}

void TMssqlSession::BeforeExecute(QSqlQuery& query) { SetOdbcQueryTimeout(query, CommandTimeout); }

TFieldType TMssqlSession::FieldTypeOfDriverField(const QSqlField& field) const {
    return FieldTypeOfOdbcType(field.typeID(), field.length());
}

std::unique_ptr<TFieldReader> TMssqlSession::ReaderOf(const QSqlQuery& query) const {
    return std::make_unique<TMssqlFieldReader>(query);
}
