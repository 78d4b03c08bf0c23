#pragma once
// Reads a PostgreSQL database directly (DatabaseInspector.h): the catalogue from pg_catalog,
// tables of the schema public. Names are those the server stores (unquoted ASCII letters
// folded to lower case: "GUID" reads guid, "Building" building).

#include "common/DatabaseInspector.h"

class TPostgresInspector : public TDatabaseInspector {
public:
    // An OLE DB connection string of the PostgreSQL provider.
    explicit TPostgresInspector(const QString& connectionString);

    QStringList Tables() const override;
    QStringList Columns(const QString& table) const override;
    QString PrimaryKey(const QString& table) const override;
    QList<TReference> References(const QString& table) const override;

    // What the catalogue holds of the schema public, one line per row of pg_class,
    // pg_attribute (dropped columns included: their numbers are never given again),
    // pg_index and pg_constraint: equal texts, an untouched schema.
    QString Catalogue() const;
};
