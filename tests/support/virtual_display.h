#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace testsupport {

// A private X server (Xvfb, with Mesa's software OpenGL) for the tests that
// need a real window or GL context, so they never depend on the developer's
// desktop. DISPLAY points at it while the object lives. When Xvfb is missing
// or does not start, running() is false and problem() says why.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) {
      problem_ = "no pipe";
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const int quiet = ::open("/dev/null", O_WRONLY);
      if (quiet >= 0) ::dup2(quiet, 2);
      const std::string fd = std::to_string(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ < 0) {
      ::close(fds[0]);
      problem_ = "cannot fork";
      return;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 20000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) {
      problem_ = "Xvfb is not installed or does not start";
      stop();
      return;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
  }
  ~VirtualDisplay() { stop(); }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool running() const { return pid_ > 0 && problem_.empty(); }
  const std::string& problem() const { return problem_; }

 private:
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string problem_;
};

}  // namespace testsupport
