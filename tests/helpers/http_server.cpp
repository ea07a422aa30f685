#include "tests/helpers/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vantrel::testing {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int bind_loopback(int* port, unsigned char host = 1) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + host);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) throw std::runtime_error("bind failed");
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  *port = ntohs(addr.sin_port);
  return fd;
}

}  // namespace

int closed_port() {
  int port = 0;
  int fd = bind_loopback(&port);
  close(fd);
  return port;
}

bool http_connection::send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool http_connection::stall(std::chrono::milliseconds how_long) {
  std::unique_lock lock(server_.mutex_);
  return !server_.stopped_.wait_for(lock, how_long, [this] { return server_.stopping_.load(); });
}

void http_connection::reset() {
  linger l{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  shutdown(fd_, SHUT_RDWR);
}

http_server::http_server(unsigned char host) : address_("127.0.0." + std::to_string(host)) {
  listen_fd_ = bind_loopback(&port_, host);
  listen(listen_fd_, 64);
  acceptor_ = std::thread([this] { accept_loop(); });
}

http_server::~http_server() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (int fd : open_fds_) shutdown(fd, SHUT_RDWR);
  }
  stopped_.notify_all();
  shutdown(listen_fd_, SHUT_RDWR);
  close(listen_fd_);
  acceptor_.join();
  for (auto& t : threads_) t.join();
}

void http_server::route(const std::string& path, handler h) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(h);
}

std::string http_server::url(const std::string& path) const {
  return "http://" + address_ + ":" + std::to_string(port_) + path;
}

std::vector<http_request> http_server::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void http_server::accept_loop() {
  for (;;) {
    int fd = accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) return;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      close(fd);
      return;
    }
    open_fds_.push_back(fd);
    threads_.emplace_back([this, fd] { serve(fd); });
  }
}

void http_server::serve(int fd) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<size_t>(n));
  }
  http_request req;
  size_t line_end = head.find("\r\n");
  std::string first = head.substr(0, line_end);
  size_t sp1 = first.find(' '), sp2 = first.rfind(' ');
  if (sp1 != std::string::npos && sp2 > sp1) {
    req.method = first.substr(0, sp1);
    req.path = first.substr(sp1 + 1, sp2 - sp1 - 1);
  }
  for (size_t pos = line_end + 2; pos < head.size();) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    std::string line = head.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      req.headers[lower(line.substr(0, colon))] = value;
    }
    pos = end + 2;
  }
  handler h;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(req);
    auto it = routes_.find(req.path);
    if (it != routes_.end()) h = it->second;
  }
  http_connection conn(*this, fd);
  if (h)
    h(conn, req);
  else
    conn.send(reply(404, "<html><body>not here</body></html>"));
  std::lock_guard lock(mutex_);
  open_fds_.erase(std::remove(open_fds_.begin(), open_fds_.end(), fd), open_fds_.end());
  close(fd);
}

std::string http_server::reply(int status, const std::string& body, const std::string& extra_headers, bool length) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " Status\r\nConnection: close\r\n" + extra_headers;
  if (length) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return out + "\r\n" + body;
}

std::string http_server::chunked(const std::string& body, size_t chunk) {
  std::string out;
  for (size_t i = 0; i < body.size(); i += chunk) {
    std::string part = body.substr(i, chunk);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", part.size());
    out += size + part + "\r\n";
  }
  return out + "0\r\n\r\n";
}

std::string http_server::gzip(const std::string& body) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, body.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  z.avail_in = static_cast<uInt>(body.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace vantrel::testing
