// measure: runs a program and writes its wall time, peak resident memory
// and exit status to a file, for the benchmark runner.
//
//   measure <result-file> <program> [arguments...]
//
// The child inherits standard input, output and error. The result file
// gets one line "<seconds> <peak-kB> <status> <cpu-seconds>": wall seconds
// from fork to exit, the largest resident set of the child and the children
// it waited for (ru_maxrss), the exit code (or 128 + the signal that ended
// it), and the user plus system time of the child and its children, which
// tells how much of the wall time other programs took on a busy machine.
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: measure <result-file> <program> [arguments...]\n";
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    return 1;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror("measure: exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("measure: wait4");
    return 1;
  }
  std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - start;
  int code = WIFEXITED(status)
                 ? WEXITSTATUS(status)
                 : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  std::ofstream result(argv[1], std::ios::trunc);
  result.setf(std::ios::fixed);
  result.precision(3);
  double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  result << elapsed.count() << " " << usage.ru_maxrss << " " << code << " "
         << cpu << "\n";
  result.close();
  if (result.fail()) {
    std::cerr << "measure: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
