// The benchmark's latency proxy: threads that forward chunks after a delay, and a reader of
// the frontend messages of PostgreSQL's protocol that counts statements.

#include "common/LatencyProxy.h"

#include "support/Exception.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Counts the statements among the messages that the program sends. The startup messages
// carry no type byte; every later message is a type byte and a length that includes itself.
class TFrontendReader {
public:
    explicit TFrontendReader(std::atomic<long long>& statements) : Statements(statements) {}

    void Read(const char* data, size_t size) {
        Buffer.append(data, size);
        size_t at = 0;
        for (;;) {
            const size_t header = Started ? 5 : 4;
            if (Buffer.size() - at < header) break;
            const unsigned char* p = reinterpret_cast<const unsigned char*>(Buffer.data() + at + (Started ? 1 : 0));
            const size_t length = (size_t(p[0]) << 24) | (size_t(p[1]) << 16) | (size_t(p[2]) << 8) | p[3];
            const size_t whole = length + (Started ? 1 : 0);
            if (Buffer.size() - at < whole) break;
            if (Started) {
                const char type = Buffer[at];
                if (type == 'E' || type == 'Q') ++Statements;
            } else if (length >= 8) {
                // The protocol version 3.0 ends the startup; SSL and GSS requests do not.
                const unsigned char* code = p + 4;
                Started = code[0] == 0 && code[1] == 3;
            }
            at += whole;
        }
        Buffer.erase(0, at);
    }

private:
    std::atomic<long long>& Statements;
    std::string Buffer;
    bool Started = false;
};

// One direction of a connection: chunks read from one socket leave on the other after the delay.
class TPump {
public:
    TPump(int from, int to, TClock::duration delay) : From(from), To(to), Delay(delay) {}

    // Reads until the socket closes; onChunk sees every chunk as it arrives.
    template <typename TOnChunk>
    void Run(TOnChunk onChunk) {
        std::thread sender([this] { SendDue(); });
        std::vector<char> buffer(65536);
        for (;;) {
            const ssize_t read = ::recv(From, buffer.data(), buffer.size(), 0);
            if (read <= 0) break;
            onChunk(buffer.data(), static_cast<size_t>(read));
            std::lock_guard<std::mutex> lock(Mutex);
            Chunks.push_back({TClock::now() + Delay, std::string(buffer.data(), static_cast<size_t>(read))});
            Ready.notify_one();
        }
        {
            std::lock_guard<std::mutex> lock(Mutex);
            Done = true;
            Ready.notify_one();
        }
        sender.join();
        ::shutdown(To, SHUT_WR);
    }

private:
    struct TChunk {
        TClock::time_point Due;
        std::string Data;
    };

    void SendDue() {
        for (;;) {
            TChunk chunk;
            {
                std::unique_lock<std::mutex> lock(Mutex);
                Ready.wait(lock, [this] { return Done || !Chunks.empty(); });
                if (Chunks.empty()) return;
                chunk = std::move(Chunks.front());
                Chunks.pop_front();
            }
            std::this_thread::sleep_until(chunk.Due);
            for (size_t sent = 0; sent < chunk.Data.size();) {
                const ssize_t n = ::send(To, chunk.Data.data() + sent, chunk.Data.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += static_cast<size_t>(n);
            }
        }
    }

    int From, To;
    TClock::duration Delay;
    std::mutex Mutex;
    std::condition_variable Ready;
    std::deque<TChunk> Chunks;
    bool Done = false;
};

void NoDelay(int socket) {
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

struct TLatencyProxy::Impl {
    sockaddr_in Target{};
    TClock::duration Delay{};
    int Listener = -1;
    int Port = 0;
    std::atomic<bool> Stopping{false};
    std::atomic<long long> Exchanges{0};
    std::atomic<long long> Statements{0};
    std::mutex Mutex;
    std::vector<int> Sockets;
    std::list<std::thread> Threads;
    std::thread Acceptor;

    void Accept() {
        while (!Stopping) {
            pollfd listener{Listener, POLLIN, 0};
            if (::poll(&listener, 1, 100) <= 0) continue;
            const int client = ::accept(Listener, nullptr, nullptr);
            if (client < 0) continue;
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            if (::connect(server, reinterpret_cast<const sockaddr*>(&Target), sizeof Target) != 0) {
                ::close(server);
                ::close(client);
                continue;
            }
            NoDelay(client);
            NoDelay(server);
            std::lock_guard<std::mutex> lock(Mutex);
            Sockets.push_back(client);
            Sockets.push_back(server);
            Threads.emplace_back([this, client, server] { Serve(client, server); });
        }
    }

    void Serve(int client, int server) {
        // Whether the server has spoken since the program last did: the next message of the
        // program then begins an exchange.
        auto serverSpoke = std::make_shared<std::atomic<bool>>(true);
        std::thread answers([this, client, server, serverSpoke] {
            TPump(server, client, Delay).Run([serverSpoke](const char*, size_t) { *serverSpoke = true; });
        });
        TFrontendReader reader(Statements);
        TPump(client, server, Delay).Run([&](const char* data, size_t size) {
            if (serverSpoke->exchange(false)) ++Exchanges;
            reader.Read(data, size);
        });
        answers.join();
    }
};

TLatencyProxy::TLatencyProxy(const QString& targetHost, int targetPort, double delayMs) : d(std::make_unique<Impl>()) {
    d->Target.sin_family = AF_INET;
    d->Target.sin_port = htons(static_cast<uint16_t>(targetPort));
    if (::inet_pton(AF_INET, targetHost.toLatin1().constData(), &d->Target.sin_addr) != 1)
        throw Exception(QStringLiteral("latency proxy: the server's address is no IPv4 address: ") + targetHost);
    d->Delay = std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double, std::milli>(delayMs));
    d->Listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(d->Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(d->Listener, 64) != 0 ||
        ::getsockname(d->Listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw Exception(QStringLiteral("latency proxy: cannot listen on 127.0.0.1"));
    d->Port = ntohs(address.sin_port);
    d->Acceptor = std::thread([this] { d->Accept(); });
}

TLatencyProxy::~TLatencyProxy() {
    d->Stopping = true;
    d->Acceptor.join();
    {
        std::lock_guard<std::mutex> lock(d->Mutex);
        for (int socket : d->Sockets) ::shutdown(socket, SHUT_RDWR);
    }
    for (std::thread& thread : d->Threads) thread.join();
    for (int socket : d->Sockets) ::close(socket);
    ::close(d->Listener);
}

int TLatencyProxy::Port() const { return d->Port; }

TWireCounts TLatencyProxy::Counts() const { return {d->Exchanges.load(), d->Statements.load()}; }

void TLatencyProxy::ResetCounts() {
    d->Exchanges = 0;
    d->Statements = 0;
}
