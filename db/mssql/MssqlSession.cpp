// Running statements on SQL Server through ODBC.

#include "db/mssql/MssqlSession.h"

#include "db/mssql/MssqlTypes.h"
#include "db/mssql/MssqlValueReading.h"
#include "db/mssql/OdbcConnection.h"

#include <QSqlError>
#include <QSqlField>
#include <QRegularExpression>
#include <QStringList>

namespace {

// The driver reports the native error numbers of the message.
QStringList NativeErrorNumbers(const QSqlError& error) {
    return error.nativeErrorCode().split(QRegularExpression(QStringLiteral("[^0-9]+")), Qt::SkipEmptyParts);
}

}  // namespace

TMssqlSession::TMssqlSession(const QSqlDatabase& db, const QString& qtName, int commandTimeout)
    : TQtSession(db, qtName, commandTimeout, true) {}

void TMssqlSession::BeforeExecute(QSqlQuery& query) { SetOdbcQueryTimeout(query, CommandTimeout); }

TFieldType TMssqlSession::FieldTypeOfDriverField(const QSqlField& field) const {
    return FieldTypeOfOdbcType(field.typeID(), field.length());
}

// SQL Server's errors that every later statement would meet again: a filegroup or the
// transaction log full (1105, 9002), no memory (701, 802), an I/O error (823, 824, 825).
bool TMssqlSession::IsDatabaseFailing(const QSqlError& error) const {
    static const QStringList numbers{QStringLiteral("1105"), QStringLiteral("9002"), QStringLiteral("701"),
                                     QStringLiteral("802"),  QStringLiteral("823"),  QStringLiteral("824"),
                                     QStringLiteral("825")};
    for (const QString& number : NativeErrorNumbers(error))
        if (numbers.contains(number)) return true;
    return false;
}

// "Invalid object name" (208) and "Invalid column name" (207).
bool TMssqlSession::IsMissingObject(const QSqlError& error) const {
    const QStringList reported = NativeErrorNumbers(error);
    return reported.contains(QStringLiteral("208")) || reported.contains(QStringLiteral("207"));
}

std::unique_ptr<TFieldReader> TMssqlSession::ReaderOf(const QSqlQuery& query) const {
    return std::make_unique<TMssqlFieldReader>(query);
}
