// Reading statement texts: quotes, comments, placeholders.

#include "db/SqlText.h"

namespace {

// The position after the closing character, a doubled closing character standing for one.
int SkipDelimited(const QString& sql, int pos, QChar close) {
    for (int i = pos + 1; i < sql.size(); ++i) {
        if (sql[i] != close) continue;
        if (i + 1 < sql.size() && sql[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return static_cast<int>(sql.size());
}

bool IsNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool IsNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

}  // namespace

int SkipQuotedOrComment(const QString& sql, int pos) {
    if (pos >= sql.size()) return pos;
    const QChar c = sql[pos];
    const QChar next = pos + 1 < sql.size() ? sql[pos + 1] : QChar();
    if (c == QLatin1Char('\'')) return SkipDelimited(sql, pos, QLatin1Char('\''));
    if (c == QLatin1Char('"')) return SkipDelimited(sql, pos, QLatin1Char('"'));
    if (c == QLatin1Char('`')) return SkipDelimited(sql, pos, QLatin1Char('`'));
    if (c == QLatin1Char('[')) return SkipDelimited(sql, pos, QLatin1Char(']'));
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const int end = sql.indexOf(QLatin1Char('\n'), pos);
        return end < 0 ? static_cast<int>(sql.size()) : end + 1;
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        const int end = sql.indexOf(QLatin1String("*/"), pos + 2);
        return end < 0 ? static_cast<int>(sql.size()) : end + 2;
    }
    return pos;
}

int PlaceholderNameLength(const QString& sql, int pos) {
    if (sql[pos] != QLatin1Char(':')) return 0;
    if (pos > 0 && sql[pos - 1] == QLatin1Char(':')) return 0;
    if (pos + 1 >= sql.size() || !IsNameStart(sql[pos + 1])) return 0;
    int end = pos + 2;
    while (end < sql.size() && IsNamePart(sql[end])) ++end;
    return end - pos - 1;
}

QVector<TPlaceholder> PlaceholdersOf(const QString& sql) {
    QVector<TPlaceholder> placeholders;
    int pos = 0;
    while (pos < sql.size()) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) {
            pos = skipped;
            continue;
        }
        const int length = PlaceholderNameLength(sql, pos);
        if (length > 0) {
            placeholders.append({pos, length, sql.mid(pos + 1, length)});
            pos += length + 1;
            continue;
        }
        ++pos;
    }
    return placeholders;
}

TPositionalText ToPositionalPlaceholders(const QString& sql) {
    TPositionalText result;
    // A selection of keys written out holds no placeholder: nothing to look through.
    if (!sql.contains(QLatin1Char(':'))) {
        result.Text = sql;
        return result;
    }
    result.Text.reserve(sql.size());
    int copied = 0;
    for (const TPlaceholder& placeholder : PlaceholdersOf(sql)) {
        result.Text += QStringView(sql).mid(copied, placeholder.Start - copied);
        result.Text += QLatin1Char('?');
        result.Names.append(placeholder.Name);
        copied = placeholder.Start + placeholder.Length + 1;
    }
    result.Text += QStringView(sql).mid(copied);
    return result;
}

QStringList ParameterNames(const QString& sql) {
    QStringList distinct;
    for (const QString& name : ToPositionalPlaceholders(sql).Names)
        if (!distinct.contains(name, Qt::CaseInsensitive)) distinct.append(name);
    return distinct;
}

bool HasStatementText(const QString& sql) {
    int pos = 0;
    while (pos < sql.size()) {
        const QChar c = sql[pos];
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) {
            // A literal or a quoted name is statement text; a comment is not.
            if (c != QLatin1Char('-') && c != QLatin1Char('/')) return true;
            pos = skipped;
            continue;
        }
        if (!c.isSpace() && c != QLatin1Char(';')) return true;
        ++pos;
    }
    return false;
}

int IndexOutsideQuotes(const QString& sql, QChar c) {
    for (int pos = 0; pos < sql.size();) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) pos = skipped;
        else if (sql[pos] == c) return pos;
        else ++pos;
    }
    return -1;
}

bool HoldsOneStatement(const QString& sql) {
    const int semicolon = IndexOutsideQuotes(sql, QLatin1Char(';'));
    return semicolon < 0 || !HasStatementText(sql.mid(semicolon + 1));
}

QString SqlStringLiteral(const QString& text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString SqlQuotedName(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

bool IsTransactionControl(const QString& sql) {
    int pos = 0;
    while (pos < sql.size()) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) pos = skipped;
        else if (sql[pos].isSpace()) ++pos;
        else break;
    }
    int end = pos;
    while (end < sql.size() && sql[end].isLetter()) ++end;
    const QStringView word = QStringView(sql).mid(pos, end - pos);
    for (const char* control : {"BEGIN", "START", "COMMIT", "END", "ROLLBACK", "ABORT", "SAVEPOINT", "RELEASE"})
        if (word.compare(QLatin1String(control), Qt::CaseInsensitive) == 0) return true;
    return false;
}
