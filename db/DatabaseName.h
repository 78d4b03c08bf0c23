#pragma once
// The name by which messages tell the user which database they mean, from a connection
// string: the SQLite file's full path, or the server and the database ("host:5432/roads",
// "host\instance/roads"). Never a user name or a password. Two connection strings with the
// same name reach the same database.

#include <QString>

QString DatabaseName(const QString& connectionString);
