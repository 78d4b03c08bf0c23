#pragma once
// Values as SQLite stores them. SQLite has no exact decimal type: a decimal column keeps a
// 64-bit integer or a double, so a decimal text is bound as the one of them that holds it
// exactly, and a text that neither can hold is refused rather than rounded.

#include "db/RowSet.h"

#include <QVariant>

// The value bound for the parameter on SQLite: BindValueOf, with an exact decimal's text
// converted as above, and text that is no valid UTF-8 as its bytes (the statement makes
// them TEXT again: WithTextCasts). Raises EDatabaseError for a value that SQLite cannot store
// exactly.
QVariant SqliteBindValueOf(const TBoundParam& param);

// The statement with every placeholder of the named parameters written as
// "CAST(:Name AS TEXT)": bytes bound as a blob become TEXT with the same bytes.
QString WithTextCasts(const QString& sql, const QStringList& names);

// The integer or double that SQLite stores a decimal text as, when it holds the number
// exactly; the text itself when it is no number (SQLite keeps such a text as it is).
// Raises EDatabaseError "Значение <text> нельзя записать в базу SQLite без потери
// точности" otherwise.
QVariant SqliteValueOfDecimalText(const QString& text);
