#pragma once
// A statement that selects the rows of one key written into its text ("... where K in (123)",
// as the copier selects a row it pulls in) runs as the same text with the key as a parameter,
// so that SQLite prepares it once for every key rather than once per key.

#include "db/RowSet.h"

#include <QString>
#include <QVector>

// The text with its closing "in (<whole number>)" turned into "in (:RoadImportKey)", and the
// parameters with that key added; false (nothing changed) for any other text.
bool SqliteKeyAsParameter(QString& sql, QVector<TBoundParam>& params);
