#include "net/TlsTestSupport.h"

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace gleanwork::test {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// Copies what `from` sends to `to` until `from` closes; false then.
bool Relay(int from, int to) {
    char buffer[16384];
    const ssize_t count = ::recv(from, buffer, sizeof buffer, 0);
    return count > 0 && ::send(to, buffer, static_cast<std::size_t>(count), MSG_NOSIGNAL) == count;
}

}  // namespace

bool MakeCertificate(const std::string& folder, const std::string& name, const std::string& issuer,
                     const std::string& alternativeNames, int days) {
    const std::string newKey =
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes "
        "-keyout " +
        name + ".key -subj /CN=" + name + " ";
    const std::string command = issuer.empty()
                                    ? newKey + "-x509 -days 2 -out " + name +
                                          ".pem -addext basicConstraints=critical,"
                                          "CA:TRUE -addext keyUsage=critical,keyCertSign"
                                    : newKey + "-addext subjectAltName=" + alternativeNames +
                                          " | openssl x509 -req -copy_extensions copy -CA " +
                                          issuer + ".pem -CAkey " + issuer + ".key -days " +
                                          std::to_string(days) + " -out " + name + ".pem";
    return std::system(("cd '" + folder + "' && (" + command + ") 2>/dev/null").c_str()) == 0;
}

TlsServer::TlsServer(const std::string& folder, const std::string& address,
                     const std::string& options) {
    int ends[2];
    if (::pipe(ends) != 0) {
        throw std::runtime_error("no pipe");
    }
    const std::string script =
        "cd '" + folder + "' && exec openssl s_server -HTTP -accept '" + address + ":0' " + options;
    const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    ::posix_spawn(&pid_, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    // The server says where it listens: "ACCEPT 127.0.0.1:PORT" or "ACCEPT [::1]:PORT".
    FILE* output = ::fdopen(ends[0], "r");
    char line[256];
    while (std::fgets(line, sizeof line, output) != nullptr) {
        const std::string text = line;
        if (text.starts_with("ACCEPT ")) {
            port_ = std::atoi(text.substr(text.rfind(':') + 1).c_str());
            break;
        }
    }
    std::fclose(output);
}

TlsServer::~TlsServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

TunnelProxy::TunnelProxy() : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ::listen(listener_.Get(), 1) != 0) {
        throw std::runtime_error("cannot start the proxy");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

TunnelProxy::~TunnelProxy() {
    Request();
}

const std::string& TunnelProxy::Request() {
    if (thread_.joinable()) {
        ::shutdown(listener_.Get(), SHUT_RDWR);
        thread_.join();
    }
    return request_;
}

void TunnelProxy::Serve() {
    const FileDescriptor client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    char byte = 0;
    while (client.IsOpen() && !request_.ends_with("\r\n\r\n") &&
           ::recv(client.Get(), &byte, 1, 0) == 1) {
        request_.push_back(byte);
    }
    const std::string authority = request_.substr(0, request_.find(" HTTP/"));
    const sockaddr_in origin =
        Loopback(std::atoi(authority.substr(authority.rfind(':') + 1).c_str()));
    const FileDescriptor server(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (::connect(server.Get(), reinterpret_cast<const sockaddr*>(&origin), sizeof origin) != 0) {
        return;
    }
    const std::string_view established = "HTTP/1.0 200 Connection established\r\n\r\n";
    ::send(client.Get(), established.data(), established.size(), MSG_NOSIGNAL);
    pollfd ends[2] = {{client.Get(), POLLIN, 0}, {server.Get(), POLLIN, 0}};
    while (::poll(ends, 2, 10000) > 0) {
        if (((ends[0].revents & (POLLIN | POLLHUP)) != 0 && !Relay(client.Get(), server.Get())) ||
            ((ends[1].revents & (POLLIN | POLLHUP)) != 0 && !Relay(server.Get(), client.Get()))) {
            return;
        }
    }
}

}  // namespace gleanwork::test
