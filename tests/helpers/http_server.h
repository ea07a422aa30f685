#pragma once
// A small HTTP server on 127.0.0.1 (or another loopback address) for the retrieval tests, able to misbehave on purpose:
// stall, reset the connection, send chunked or compressed bodies, redirect. Each route is a
// function that writes the raw reply. The server stops (and every stall ends) when it is
// destroyed.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

struct http_request {
  std::string method, path;
  std::map<std::string, std::string> headers;  // names in lower case
};

class http_server;

class http_connection {
 public:
  http_connection(http_server& server, int fd) : server_(server), fd_(fd) {}
  bool send(const std::string& bytes);
  // Waits for the given time or until the server stops; false when it stopped.
  bool stall(std::chrono::milliseconds how_long);
  // Ends the connection with a reset instead of an orderly close.
  void reset();

 private:
  http_server& server_;
  int fd_;
};

class http_server {
 public:
  using handler = std::function<void(http_connection&, const http_request&)>;

  // On 127.0.0.host (any address of 127/8 is this machine's own): sites on several hosts.
  explicit http_server(unsigned char host = 1);
  ~http_server();
  http_server(const http_server&) = delete;
  http_server& operator=(const http_server&) = delete;

  void route(const std::string& path, handler h);
  std::string url(const std::string& path) const;
  int port() const { return port_; }
  // The requests received so far.
  std::vector<http_request> requests() const;

  // A complete reply. Without a Content-Length when length is false (the body then ends when
  // the connection closes).
  static std::string reply(int status, const std::string& body, const std::string& extra_headers = "",
                           bool length = true);
  static std::string chunked(const std::string& body, size_t chunk);
  static std::string gzip(const std::string& body);

 private:
  friend class http_connection;
  void accept_loop();
  void serve(int fd);

  std::string address_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  std::map<std::string, handler> routes_;
  std::vector<http_request> requests_;
  std::vector<int> open_fds_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 where nothing listens.
int closed_port();

}  // namespace vantrel::testing
