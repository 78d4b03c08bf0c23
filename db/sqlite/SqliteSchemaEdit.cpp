// Foreign keys of SQLite tables are changed by editing the CREATE TABLE text stored in
// sqlite_master, the way SQLite documents for changes that leave the stored rows alone:
// writable_schema on, the new text, schema_version one up, writable_schema off. The edit
// runs in a savepoint, so it joins a transaction that is open on the connection and is
// undone as a whole when any step fails.

#include "db/sqlite/SqliteSchemaEdit.h"

#include "db/StatementRunner.h"
#include "db/SqlText.h"
#include "db/DbError.h"

#include <QVector>
#include <utility>

namespace {

enum class TTokenKind { Word, Quoted, String, Open, Close, Comma, Other, Blank, Comment };

struct TToken {
    TTokenKind Kind;
    int Start;
    int End;  // one past the last character
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80;
}

// Splits a statement text into tokens, as SQLite reads it: quoted names ("...", [...],
// `...`), string literals and comments are single tokens, so nothing inside them counts.
QVector<TToken> Tokenize(const QString& sql) {
    QVector<TToken> tokens;
    const int n = static_cast<int>(sql.size());
    int i = 0;
    while (i < n) {
        const int start = i;
        const QChar c = sql[i];
        TTokenKind kind = TTokenKind::Other;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace()) ++i;
            kind = TTokenKind::Blank;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n')) ++i;
            kind = TTokenKind::Comment;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int close = static_cast<int>(sql.indexOf(QLatin1String("*/"), i + 2));
            i = close < 0 ? n : close + 2;
            kind = TTokenKind::Comment;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
                   c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql[i] == close) {
                    // A doubled quote stands for itself; brackets have no escape.
                    if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            kind = c == QLatin1Char('\'') ? TTokenKind::String : TTokenKind::Quoted;
        } else if (IsWordChar(c)) {
            while (i < n && IsWordChar(sql[i])) ++i;
            kind = TTokenKind::Word;
        } else {
            ++i;
            kind = c == QLatin1Char('(')   ? TTokenKind::Open
                   : c == QLatin1Char(')') ? TTokenKind::Close
                   : c == QLatin1Char(',') ? TTokenKind::Comma
                                           : TTokenKind::Other;
        }
        tokens.append({kind, start, i});
    }
    return tokens;
}

// The tokens of a CREATE TABLE text without blanks and comments, and what they mean.
class TTableText {
public:
    explicit TTableText(const QString& sql) : Sql(sql) {
        for (const TToken& token : Tokenize(sql))
            if (token.Kind != TTokenKind::Blank && token.Kind != TTokenKind::Comment) Tokens.append(token);
    }

    int Count() const { return static_cast<int>(Tokens.size()); }
    const TToken& At(int i) const { return Tokens[i]; }
    QString Text(int i) const { return Sql.mid(Tokens[i].Start, Tokens[i].End - Tokens[i].Start); }

    bool IsKeyword(int i, const char* keyword) const {
        return i >= 0 && i < Count() && Tokens[i].Kind == TTokenKind::Word &&
               Text(i).compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }

    // The name a token stands for: a word as it is, a quoted name or literal without quotes.
    QString Name(int i) const {
        if (i < 0 || i >= Count()) return QString();
        const QString text = Text(i);
        switch (Tokens[i].Kind) {
        case TTokenKind::Word: return text;
        case TTokenKind::Quoted:
        case TTokenKind::String: {
            if (text.size() < 2) return QString();
            const QChar quote = text[0];
            QString inner = text.mid(1, text.size() - 2);
            if (quote != QLatin1Char('[')) inner.replace(QString(2, quote), QString(quote));
            return inner;
        }
        default: return QString();
        }
    }

    // The index of the parenthesis that closes the one at open, or -1.
    int MatchingClose(int open) const {
        int depth = 0;
        for (int i = open; i < Count(); ++i) {
            if (Tokens[i].Kind == TTokenKind::Open) ++depth;
            else if (Tokens[i].Kind == TTokenKind::Close && --depth == 0) return i;
        }
        return -1;
    }

private:
    QString Sql;
    QVector<TToken> Tokens;
};

// One column definition or table constraint of the body: its first and last token, and the
// comma before it (-1 for the first).
struct TBodyItem {
    int First;
    int Last;
    int Comma;
};

struct TTableBody {
    int Open = -1;
    int Close = -1;
    QVector<TBodyItem> Items;
};

TTableBody FindBody(const TTableText& text, const QString& table) {
    TTableBody body;
    for (int i = 0; i < text.Count(); ++i)
        if (text.At(i).Kind == TTokenKind::Open) {
            body.Open = i;
            break;
        }
    body.Close = body.Open < 0 ? -1 : text.MatchingClose(body.Open);
    if (body.Close < 0)
        throw EDatabaseError(QStringLiteral("Не удалось разобрать описание таблицы ") + table);
    int first = body.Open + 1;
    int comma = -1;
    int depth = 0;
    for (int i = body.Open + 1; i <= body.Close; ++i) {
        const TTokenKind kind = text.At(i).Kind;
        if (kind == TTokenKind::Open) ++depth;
        else if (kind == TTokenKind::Close && depth > 0) --depth;
        else if ((kind == TTokenKind::Comma && depth == 0) || i == body.Close) {
            if (i > first) body.Items.append({first, i - 1, comma});
            comma = i;
            first = i + 1;
        }
    }
    return body;
}

bool IsTableConstraint(const TTableText& text, const TBodyItem& item) {
    return text.IsKeyword(item.First, "CONSTRAINT") || text.IsKeyword(item.First, "PRIMARY") ||
           text.IsKeyword(item.First, "UNIQUE") || text.IsKeyword(item.First, "CHECK") ||
           text.IsKeyword(item.First, "FOREIGN");
}

// The last token of the foreign-key clause that begins with REFERENCES at index at: the
// referenced table, its columns, ON DELETE / ON UPDATE actions, MATCH, DEFERRABLE.
int ForeignKeyClauseEnd(const TTableText& text, int at, int last) {
    int end = at + 1;  // the referenced table
    if (end + 1 <= last && text.At(end + 1).Kind == TTokenKind::Open) {
        const int close = text.MatchingClose(end + 1);
        if (close < 0 || close > last) return last;
        end = close;
    }
    while (end + 1 <= last) {
        const int n = end + 1;
        if (text.IsKeyword(n, "ON") && (text.IsKeyword(n + 1, "DELETE") || text.IsKeyword(n + 1, "UPDATE"))) {
            if (text.IsKeyword(n + 2, "SET") || text.IsKeyword(n + 2, "NO")) end = n + 3;
            else end = n + 2;
        } else if (text.IsKeyword(n, "MATCH")) {
            end = n + 1;
        } else if (text.IsKeyword(n, "DEFERRABLE") || (text.IsKeyword(n, "NOT") && text.IsKeyword(n + 1, "DEFERRABLE"))) {
            end = text.IsKeyword(n, "NOT") ? n + 1 : n;
            if (text.IsKeyword(end + 1, "INITIALLY")) end += 2;
        } else {
            break;
        }
    }
    return end < last ? end : last;
}

bool SameTable(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Character ranges to cut out of the text: every foreign key to refTable.
QVector<std::pair<int, int>> ForeignKeyRanges(const TTableText& text, const TTableBody& body, const QString& refTable) {
    QVector<std::pair<int, int>> ranges;
    for (const TBodyItem& item : body.Items) {
        if (IsTableConstraint(text, item)) {
            const int kind = text.IsKeyword(item.First, "CONSTRAINT") ? item.First + 2 : item.First;
            if (!text.IsKeyword(kind, "FOREIGN")) continue;
            for (int i = kind; i < item.Last; ++i)
                if (text.IsKeyword(i, "REFERENCES")) {
                    if (SameTable(text.Name(i + 1), refTable)) {
                        // The whole constraint goes, with the comma that separates it.
                        if (item.Comma >= 0)
                            ranges.append({text.At(item.Comma - 1).End, text.At(item.Last).End});
                        else if (item.Last + 2 < body.Close)
                            ranges.append({text.At(item.First).Start, text.At(item.Last + 2).Start});
                    }
                    break;
                }
            continue;
        }
        // A column definition: its column constraints REFERENCES ..., with their names.
        int depth = 0;
        for (int i = item.First + 1; i <= item.Last; ++i) {
            const TTokenKind kind = text.At(i).Kind;
            if (kind == TTokenKind::Open) ++depth;
            else if (kind == TTokenKind::Close) --depth;
            if (depth != 0 || !text.IsKeyword(i, "REFERENCES")) continue;
            const int end = ForeignKeyClauseEnd(text, i, item.Last);
            if (SameTable(text.Name(i + 1), refTable)) {
                int start = i;
                if (start - 2 > item.First && text.IsKeyword(start - 2, "CONSTRAINT")) start -= 2;
                ranges.append({text.At(start - 1).End, text.At(end).End});
            }
            i = end;
        }
    }
    return ranges;
}

// A name as it can stand in the schema text: quoted only when it has to be.
QString SchemaName(const QString& name) {
    bool plain = !name.isEmpty() && !name[0].isDigit();
    for (QChar c : name)
        if (!IsWordChar(c) || c == QLatin1Char('$')) plain = false;
    if (plain) return name;
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

struct TStoredTable {
    QString Name;  // as sqlite_master spells it
    QString Sql;
};

// The table's entry in sqlite_master (the exact spelling first), or an empty name.
TStoredTable FindStoredTable(TStatementRunner& runner, const QString& table) {
    const TRowSet rows = RowsOf(runner, QStringLiteral("select name, sql from sqlite_master where type = 'table' and name = ") +
                                            SqlStringLiteral(table) + QStringLiteral(" collate UNICODE_CI order by name = ") +
                                            SqlStringLiteral(table) + QStringLiteral(" desc"));
    TStoredTable stored;
    if (!rows.Rows.isEmpty()) {
        stored.Name = rows.Rows.front().value(0).toString();
        stored.Sql = rows.Rows.front().value(1).toString();
    }
    return stored;
}

bool HasColumn(TStatementRunner& runner, const QString& table, const QString& column) {
    return ScalarOf(runner, QStringLiteral("select count(*) from pragma_table_info(") + SqlStringLiteral(table) +
                                QStringLiteral(") where name = ") + SqlStringLiteral(column) +
                                QStringLiteral(" collate UNICODE_CI"))
               .toLongLong() > 0;
}

// Replaces the stored CREATE TABLE text of one table, inside a savepoint.
void WriteTableText(TStatementRunner& runner, const TStoredTable& table, const QString& newSql) {
    const QString savepoint = QStringLiteral("road_schema_edit");
    ExecuteText(runner, QStringLiteral("SAVEPOINT ") + savepoint);
    try {
        const qint64 version = ScalarOf(runner, QStringLiteral("PRAGMA schema_version")).toLongLong();
        ExecuteText(runner, QStringLiteral("PRAGMA writable_schema = ON"));
        ExecuteText(runner, QStringLiteral("UPDATE sqlite_master SET sql = ") + SqlStringLiteral(newSql) +
                                QStringLiteral(" WHERE type = 'table' AND name = ") + SqlStringLiteral(table.Name));
        ExecuteText(runner, QStringLiteral("PRAGMA schema_version = ") + QString::number(version + 1));
        ExecuteText(runner, QStringLiteral("PRAGMA writable_schema = OFF"));
        // Reading the table's keys makes the connection load the new schema now, while a
        // text it could not read can still be rolled back.
        RowsOf(runner, QStringLiteral("select count(*) from pragma_foreign_key_list(") + SqlStringLiteral(table.Name) +
                           QStringLiteral(")"));
        ExecuteText(runner, QStringLiteral("RELEASE ") + savepoint);
    } catch (...) {
        for (const QString& undo : {QStringLiteral("PRAGMA writable_schema = OFF"),
                                    QStringLiteral("ROLLBACK TO ") + savepoint, QStringLiteral("RELEASE ") + savepoint}) {
            try {
                ExecuteText(runner, undo);
            } catch (...) {
                // The first error is the one to report.
            }
        }
        throw;
    }
}

}  // namespace

void SqliteAddForeignKey(TStatementRunner& runner, const QString& table, const QString& column, const QString& refTable,
                         const QString& refColumn) {
    const TStoredTable stored = FindStoredTable(runner, table);
    if (stored.Name.isEmpty()) throw EDatabaseError(QStringLiteral("no such table: ") + table);
    if (!HasColumn(runner, stored.Name, column))
        throw EDatabaseError(QStringLiteral("no such column: ") + column + QStringLiteral(" in table ") + table);
    const TStoredTable referenced = FindStoredTable(runner, refTable);
    if (referenced.Name.isEmpty()) throw EDatabaseError(QStringLiteral("no such table: ") + refTable);
    if (!HasColumn(runner, referenced.Name, refColumn))
        throw EDatabaseError(QStringLiteral("no such column: ") + refColumn + QStringLiteral(" in table ") + refTable);

    const TTableText text(stored.Sql);
    const TTableBody body = FindBody(text, table);
    const int at = text.At(body.Close - 1).End;
    const QString constraint = QStringLiteral(", FOREIGN KEY (") + SchemaName(column) + QStringLiteral(") REFERENCES ") +
                               SchemaName(refTable) + QStringLiteral(" (") + SchemaName(refColumn) +
                               QStringLiteral(") ON DELETE NO ACTION ON UPDATE NO ACTION");
    QString newSql = stored.Sql;
    newSql.insert(at, constraint);
    WriteTableText(runner, stored, newSql);
}

void SqliteDropForeignKeys(TStatementRunner& runner, const QString& table, const QString& refTable) {
    const TStoredTable stored = FindStoredTable(runner, table);
    if (stored.Name.isEmpty()) return;  // no table, no keys to drop
    const TTableText text(stored.Sql);
    const TTableBody body = FindBody(text, table);
    const QVector<std::pair<int, int>> ranges = ForeignKeyRanges(text, body, refTable);
    if (ranges.isEmpty()) return;
    QString newSql = stored.Sql;
    for (auto range = ranges.crbegin(); range != ranges.crend(); ++range)
        newSql.remove(range->first, range->second - range->first);
    WriteTableText(runner, stored, newSql);
}
