// Running statements on SQL Server through ODBC.

#include "db/mssql/MssqlSession.h"

#include "db/mssql/MssqlTypes.h"
#include "db/mssql/MssqlValueReading.h"
#include "db/mssql/OdbcConnection.h"

#include <QSqlError>
#include <QSqlField>
#include <QRegularExpression>
#include <QStringList>

TMssqlSession::TMssqlSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout)
    : TQtSession(db, qtName, commandTimeout, true) {}

void TMssqlSession::BeforeExecute(QSqlQuery& query) { SetOdbcQueryTimeout(query, CommandTimeout); }

TFieldType TMssqlSession::FieldTypeOfDriverField(const QSqlField& field) const {
    return FieldTypeOfOdbcType(field.typeID(), field.length());
}

// SQL Server's errors that every later statement would meet again: a filegroup or the
// transaction log full (1105, 9002), no memory (701, 802), an I/O error (823, 824, 825). The
// driver reports the native error numbers of the message.
bool TMssqlSession::IsDatabaseFailing(const QSqlError& error) const {
    static const QStringList numbers{QStringLiteral("1105"), QStringLiteral("9002"), QStringLiteral("701"),
                                     QStringLiteral("802"),  QStringLiteral("823"),  QStringLiteral("824"),
                                     QStringLiteral("825")};
    const QStringList reported = error.nativeErrorCode().split(QRegularExpression(QStringLiteral("[^0-9]+")), Qt::SkipEmptyParts);
    for (const QString& number : reported)
        if (numbers.contains(number)) return true;
    return false;
}

std::unique_ptr<TFieldReader> TMssqlSession::ReaderOf(const QSqlQuery& query) const {
    return std::make_unique<TMssqlFieldReader>(query);
}
