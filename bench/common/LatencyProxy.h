#pragma once
// A TCP proxy on this machine that delays every chunk by a fixed time in each direction, so
// that a PostgreSQL server here answers as one across a network would, and that counts on the
// wire what the program asks of the server: the exchanges (a message from the program after
// the server has spoken, each one wait for the server) and the statements (PostgreSQL's
// Execute and Query messages, savepoints included).

#include <QString>
#include <memory>

struct TWireCounts {
    long long Exchanges = 0;
    long long Statements = 0;
};

class TLatencyProxy {
public:
    // Listens on 127.0.0.1 at a free port and forwards to the target.
    TLatencyProxy(const QString& targetHost, int targetPort, double delayMs);
    ~TLatencyProxy();
    TLatencyProxy(const TLatencyProxy&) = delete;
    TLatencyProxy& operator=(const TLatencyProxy&) = delete;

    int Port() const;
    // What passed since the proxy started or the counts were last reset.
    TWireCounts Counts() const;
    void ResetCounts();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
