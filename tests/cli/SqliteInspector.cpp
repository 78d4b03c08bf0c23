#include "cli/SqliteInspector.h"

// A name as an SQL string literal, for the table-valued pragmas.
static QString NameLiteral(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

TSqliteInspector::TSqliteInspector(const QString& path)
    : TDatabaseInspector(QStringLiteral("QSQLITE"), [&](QSqlDatabase& db) {
          db.setDatabaseName(path);
          db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY=0"));
      }) {}

QStringList TSqliteInspector::Tables() const {
    QStringList tables;
    for (const QVariantList& row :
         Select(QStringLiteral("select name from sqlite_master where type = 'table' and name not like 'sqlite_%' "
                               "order by name")))
        tables << row[0].toString();
    return tables;
}

QStringList TSqliteInspector::Columns(const QString& table) const {
    QStringList columns;
    for (const QVariantList& row : Select(QStringLiteral("select name from pragma_table_xinfo(%1) order by cid").arg(NameLiteral(table))))
        columns << row[0].toString();
    return columns;
}

QString TSqliteInspector::PrimaryKey(const QString& table) const {
    const QList<QVariantList> rows =
        Select(QStringLiteral("select name from pragma_table_info(%1) where pk > 0 order by pk").arg(NameLiteral(table)));
    return rows.isEmpty() ? QString() : rows.first()[0].toString();
}

QList<TReference> TSqliteInspector::References(const QString& table) const {
    QList<TReference> references;
    for (const QVariantList& row :
         Select(QStringLiteral("select \"from\", \"table\", \"to\" from pragma_foreign_key_list(%1)").arg(NameLiteral(table))))
        references << TReference{row[0].toString(), row[1].toString(), row[2].toString()};
    return references;
}
