// Runs part of a test in a child process: as a user who is not root (the
// permission rules of a save mean nothing to root, and CI runs as root), or
// under limits the test process itself must not take (a file size limit).
//
//   const ChildReport report = RunInChild([&] { return Expected("message", Message(...), "..."); },
//                                         ChildUser::Unprivileged);
//   if (report.skipped) GTEST_SKIP() << report.text;
//   EXPECT_EQ(report.text, "");
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "appconfig/AppException.h"

enum class ChildUser { Same, Unprivileged };

struct ChildReport {
  bool skipped = false;
  std::string text;  // the child's failures, or why it was skipped; empty: passed
};

// "" when `actual` is `expected`, else a line that says what differs.
inline std::string Expected(const std::string& what, const std::string& actual, const std::string& expected) {
  return actual == expected ? "" : what + ": \"" + actual + "\", expected \"" + expected + "\"\n";
}

// The message of the CAppException that `statement` throws, or "<no exception>".
template <class F>
std::string MessageOf(F&& statement) {
  try {
    statement();
  } catch (const CAppException& e) {
    return e.GetMessage();
  } catch (...) {
    return "<another exception>";
  }
  return "<no exception>";
}

// The user nobody, whom every Debian system has.
constexpr uid_t kNobody = 65534;

// Runs `body` in a child process, which ends without running the test
// program's exit handlers. Unprivileged: a child of root first becomes
// nobody; one that cannot is reported skipped. `fileSizeLimit` (bytes, 0
// none) caps the files the child writes; a write beyond it fails with EFBIG.
inline ChildReport RunInChild(const std::function<std::string()>& body, ChildUser user,
                              rlim_t fileSizeLimit = 0) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {true, "no pipe for the child process"};
  const pid_t pid = ::fork();
  if (pid < 0) return {true, "no child process"};
  if (pid == 0) {
    ::close(pipeEnds[0]);
    std::string report;
    if (user == ChildUser::Unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      report = "skip: cannot become the user nobody";
    } else {
      if (fileSizeLimit != 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      try {
        report = body();
      } catch (...) {
        report = "the child threw\n";
      }
    }
    const char* p = report.data();
    std::size_t left = report.size();
    while (left > 0) {
      const ssize_t n = ::write(pipeEnds[1], p, left);
      if (n <= 0) break;
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "the child process did not end normally\n";
  if (text.starts_with("skip: ")) return {true, text.substr(6)};
  return {false, text};
}
