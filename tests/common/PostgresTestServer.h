#pragma once
// The throwaway PostgreSQL server that scripts/test.sh starts for the suite and names in
// ROAD_IMPORT_TEST_PG (a connection string without a database). Each test makes its own
// database on it, so tests running at once never meet.

#include <QString>
#include <gtest/gtest.h>

// Why the tests cannot reach a server, or an empty text when one is there.
QString PostgresServerMissingReason();

// Makes an empty database of this name (dropping one that is there, connections and all)
// and returns its connection string. Raises EDatabaseError with the server's text.
QString CreatePostgresDatabase(const QString& name);

// Drops the database when it is there.
void DropPostgresDatabase(const QString& name);

// The connection string of the server's maintenance database "postgres".
QString PostgresAdminConnectionString();

// Skips the current test when there is no server, or fails it when CI is set (in CI the
// server is part of the suite, and a missing one must not pass unseen).
#define REQUIRE_POSTGRES_SERVER()                                                           \
    do {                                                                                    \
        const QString missing_ = PostgresServerMissingReason();                             \
        if (!missing_.isEmpty()) {                                                          \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                        \
                FAIL() << "PostgreSQL test server missing in CI: " << missing_.toStdString(); \
            GTEST_SKIP() << missing_.toStdString();                                         \
        }                                                                                   \
    } while (false)
