// TClosedPort: a port on 127.0.0.1 that refuses connections: bound, so that nobody else takes it,
// but not listening.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

class TClosedPort
{
public:
    TClosedPort()
    {
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t Length = sizeof Address;
        if (Fd < 0 || bind(Fd, reinterpret_cast<sockaddr*>(&Address), Length) != 0 ||
            getsockname(Fd, reinterpret_cast<sockaddr*>(&Address), &Length) != 0)
            throw std::runtime_error("cannot reserve a closed port");
        Port = ntohs(Address.sin_port);
    }
    ~TClosedPort() { close(Fd); }

    std::string Url(const std::string& Path) const
    {
        return "http://127.0.0.1:" + std::to_string(Port) + Path;
    }

private:
    int Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int Port = 0;
};
