#pragma once
// What a wait for the server costs, for the benchmark's runs across a latency proxy
// (LatencyProxy.h): connection strings led through the proxy, and one-row queries timed.

#include <QString>

// The server's host and port of a PostgreSQL connection string ("Data Source=host:port").
void ServerAddressOf(const QString& connection, QString& host, int& port);

// The same connection through the proxy at this port of this machine.
QString ThroughProxy(const QString& connection, int port);

// Seconds that this many one-row queries take one after another on the connection (each one
// wait for the server), after a few that warm the connection up.
double OneRowQuerySeconds(const QString& connection, int queries);
