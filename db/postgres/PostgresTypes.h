#pragma once
// PostgreSQL's column types, by type OID, as field types.

#include "db/FieldType.h"

// A PostgreSQL type OID (text, bytea, uuid, ...).
TFieldType FieldTypeOfPostgresOid(int oid, int columnSize);
