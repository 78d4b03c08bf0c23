// PostgreSQL statements with their values as literals, each in a savepoint of its own.

#include "db/postgres/PostgresStatement.h"

#include "db/DbError.h"
#include "db/QtDatabase.h"
#include "db/SqlText.h"
#include "db/ValueBinding.h"
#include "db/postgres/Libpq.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>

namespace {

const QString SavepointName = QStringLiteral("tadoquery_statement");

QString OffsetText(int seconds) {
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    seconds = qAbs(seconds);
    return sign + QStringLiteral("%1:%2").arg(seconds / 3600, 2, 10, QLatin1Char('0')).arg(seconds % 3600 / 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString PostgresDateTimeText(const QDateTime& moment) {
    return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + OffsetText(moment.offsetFromUtc());
}

QString PostgresLiteral(const QSqlDatabase& db, const QVariant& value) {
    if (value.isNull()) return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime moment = value.toDateTime();
        if (moment.isValid()) return QLatin1Char('\'') + PostgresDateTimeText(moment) + QLatin1Char('\'');
    }
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return db.driver()->formatValue(field);
}

const TBoundParam* FindPostgresParam(const QVector<TBoundParam>& params, const QString& name) {
    for (const TBoundParam& param : params)
        if (param.Name.compare(name, Qt::CaseInsensitive) == 0) return &param;
    throw EDatabaseError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
}

QString PostgresTextWithLiterals(const QSqlDatabase& db, const QString& sql, const QVector<TBoundParam>& params) {
    QString text;
    text.reserve(sql.size());
    int copied = 0;
    for (const TPlaceholder& placeholder : PlaceholdersOf(sql)) {
        text += QStringView(sql).mid(copied, placeholder.Start - copied);
        // Parenthesised, so that a negative number stays one operand ("x-:v" with v = -1).
        text += QLatin1Char('(') + PostgresLiteral(db, BindValueOf(*FindPostgresParam(params, placeholder.Name))) +
                QLatin1Char(')');
        copied = placeholder.Start + placeholder.Length + 1;
    }
    text += QStringView(sql).mid(copied);
    return text;
}

TPostgresStatementGuard::TPostgresStatementGuard(const QSqlDatabase& db) : Db(db) {
    if (PostgresTransactionState(Db) != TPostgresTransactionState::InTransaction) return;
    ExecuteOnDatabase(Db, QStringLiteral("SAVEPOINT ") + SavepointName);
    Set = true;
}

void TPostgresStatementGuard::Succeeded() {
    if (!Set) return;
    Set = false;
    // A statement that committed or rolled back the transaction took the savepoint with it.
    if (PostgresTransactionState(Db) == TPostgresTransactionState::InTransaction) ExecuteOnDatabase(Db, QStringLiteral("RELEASE SAVEPOINT ") + SavepointName);
}

void TPostgresStatementGuard::Failed() {
    if (!Set) return;
    Set = false;
    // Never raises: the statement's own error is the one the caller reports.
    const TPostgresTransactionState state = PostgresTransactionState(Db);
    if (state != TPostgresTransactionState::InError && state != TPostgresTransactionState::InTransaction) return;
    QSqlQuery query(Db);
    if (query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + SavepointName))
        query.exec(QStringLiteral("RELEASE SAVEPOINT ") + SavepointName);
}
