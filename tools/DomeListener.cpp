#include "tools/DomeListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

DomeListener::~DomeListener() {
    DropClient();
    if (m_listener >= 0) {
        ::close(m_listener);
    }
}

orvane::Result DomeListener::Open(const std::string& address, uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        return orvane::Result::Failed({}, 0, address + " is not an IPv4 address");
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (m_listener < 0 ||
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0 ||
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(m_listener, 4) != 0) {
        return orvane::Result::Failed("cannot listen on " + address + ":" + std::to_string(port),
                                      errno);
    }
    return {};
}

void DomeListener::Accept() {
    const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        DropClient();
        m_client = fd;
    }
}

void DomeListener::DropClient() {
    if (m_client >= 0) {
        ::close(m_client);
        m_client = -1;
    }
}
