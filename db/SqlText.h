#pragma once
// Reading statement texts as the servers do, as far as the access layer needs it: string
// literals ('...'), quoted names ("...", [...], `...`) and comments (-- and /* */) are
// skipped, so a colon or a semicolon inside them means nothing.

#include <QString>
#include <QStringList>
#include <QVector>

// The position after the literal, quoted name or comment that starts at pos, or pos itself
// when none starts there. An unterminated one runs to the end of the text.
int SkipQuotedOrComment(const QString& sql, int pos);

// A named placeholder ":Name" starts at pos: a colon outside quotes and comments, followed
// by a letter or "_", and not part of "::". Returns the name's length (without the colon),
// or 0.
int PlaceholderNameLength(const QString& sql, int pos);

// A named placeholder of a text: where its colon stands, the length of its name, the name.
struct TPlaceholder {
    int Start = 0;
    int Length = 0;
    QString Name;
};
// The placeholders of a text, in order.
QVector<TPlaceholder> PlaceholdersOf(const QString& sql);

// The text with each ":Name" replaced by a positional "?", and the name of every "?" in
// order (a name used twice appears twice).
struct TPositionalText {
    QString Text;
    QStringList Names;
};
TPositionalText ToPositionalPlaceholders(const QString& sql);

// The distinct placeholder names of a text, in order of first appearance; letter case
// ignored when telling names apart (the first spelling is kept).
QStringList ParameterNames(const QString& sql);

// Whether the text holds anything besides blanks, comments and ";".
bool HasStatementText(const QString& sql);

// Whether a statement begins or ends a transaction or a savepoint, by its first word.
bool IsTransactionControl(const QString& sql);

// The position of the first c outside quotes and comments, or -1.
int IndexOutsideQuotes(const QString& sql, QChar c);

// Whether the text holds one statement at most: after its first ";" outside quotes and
// comments, nothing but blanks, comments and ";".
bool HoldsOneStatement(const QString& sql);

// A text as an SQL string literal: in apostrophes, inner apostrophes doubled.
QString SqlStringLiteral(const QString& text);
// A name as a quoted identifier: in double quotes, inner double quotes doubled.
QString SqlQuotedName(const QString& name);
