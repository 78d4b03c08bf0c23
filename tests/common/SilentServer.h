#pragma once
// A server that takes connections and never answers (a hung server, a firewall that swallows
// what follows the handshake): a socket listening on 127.0.0.1 that accepts nothing, so the
// system completes each handshake and the client then waits. Closing it resets the waiting
// connections, so their clients fail at once.

class TSilentServer {
public:
    TSilentServer();
    ~TSilentServer();
    TSilentServer(const TSilentServer&) = delete;
    TSilentServer& operator=(const TSilentServer&) = delete;

    int Port() const { return FPort; }

private:
    int Socket = -1;
    int FPort = 0;
};

// A TCP port on 127.0.0.1 where nothing listens: one the system just handed out and took back.
int ClosedPort();
