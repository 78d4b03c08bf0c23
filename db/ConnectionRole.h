#pragma once
// The part a connection plays in an import. A backend may realise the import's temporary
// schema changes by it (db/sqlite/SqliteGuidColumns.h); a connection without a role gets
// them as they are written.

enum class TConnectionRole { None, Source, Destination };
