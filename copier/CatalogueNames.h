#pragma once
// Names read from a catalogue are data: a database made elsewhere may hold a table or a
// column whose name would change a statement it is pasted into. Only names that the
// connection's dialect can write unquoted ever enter a statement.

#include <QString>

class TADOConnection;

bool IsWritableName(const QString& name, TADOConnection& connection);

// Raises an error naming the name when it cannot be written unquoted.
void RequireWritableName(const QString& name, TADOConnection& connection);

// Why the table cannot take part in a copy: its own name, or the name of one of its columns
// (read from the catalogue only once its own name is known to be safe), cannot be written
// unquoted. Empty when every name can.
QString UnwritableNameReason(const QString& table, TADOConnection& connection);
