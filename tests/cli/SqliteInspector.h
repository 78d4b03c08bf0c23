#pragma once
// Reads an SQLite file directly (DatabaseInspector.h): the catalogue from sqlite_master and
// the table-valued pragmas.

#include "common/DatabaseInspector.h"

class TSqliteInspector : public TDatabaseInspector {
public:
    explicit TSqliteInspector(const QString& path);

    QStringList Tables() const override;
    QStringList Columns(const QString& table) const override;
    QString PrimaryKey(const QString& table) const override;
    QList<TReference> References(const QString& table) const override;
};
