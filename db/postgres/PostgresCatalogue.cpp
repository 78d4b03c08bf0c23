// Looking tables up in PostgreSQL's catalogue as unquoted names reach them.

#include "db/postgres/PostgresCatalogue.h"

#include "db/SqlText.h"

QString PostgresFoldedName(const QString& name) {
    QString folded = name;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

QString PostgresSameName(const QString& column, const QString& name) {
    return column + QStringLiteral(" = ") + SqlStringLiteral(PostgresFoldedName(name));
}

QString PostgresUserTable(const QString& alias) {
    return alias + QStringLiteral(".relkind in ('r', 'p') and pg_table_is_visible(") + alias +
           QStringLiteral(".oid) and ") + alias + QStringLiteral(".relnamespace <> 'pg_catalog'::regnamespace");
}
