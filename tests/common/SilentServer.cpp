#include "common/SilentServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A socket bound to a port of the system's choice on 127.0.0.1; its port is written to port.
int BoundSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

TSilentServer::TSilentServer() {
    Socket = BoundSocket(FPort);
    // Room for every connection a test makes; none is ever accepted.
    ::listen(Socket, 64);
}

TSilentServer::~TSilentServer() { ::close(Socket); }

int ClosedPort() {
    int port = 0;
    ::close(BoundSocket(port));
    return port;
}
