#pragma once

#include <sys/types.h>

#include <cstdint>
#include <set>

namespace pelaryn {

// What a server process and the processes it started cost, read from /proc: CPU time from the
// first sample on, and peak resident memory. A child's peak is lost when it ends, so sample
// often enough to see every worker at least once after its busiest moment.
class ProcessWatch {
 public:
  explicit ProcessWatch(pid_t server);

  // Reads the figures now; false when the server is gone.
  bool Sample();

  // CPU seconds since the first sample: the server's own, and its children's (those still
  // running and those it has waited for).
  double ServerCpuSeconds() const { return Seconds(serverCpu_); }
  double ChildCpuSeconds() const { return Seconds(childCpu_); }
  // Peak resident memory in kB: the server's whole life, and the largest of any child seen.
  uint64_t ServerPeakKb() const { return serverPeakKb_; }
  uint64_t ChildPeakKb() const { return childPeakKb_; }
  int ChildrenSeen() const { return static_cast<int>(childrenSeen_.size()); }

 private:
  struct Cpu {
    uint64_t Own = 0;       // utime + stime, in clock ticks
    uint64_t Children = 0;  // cutime + cstime: the children it has waited for
    pid_t Parent = 0;
  };
  static bool ReadCpu(pid_t pid, Cpu& cpu);
  static uint64_t PeakKb(pid_t pid);
  double Seconds(uint64_t ticks) const;

  pid_t server_;
  bool started_ = false;
  Cpu serverStart_;
  // What the children running at the first sample had used by then: counted neither while
  // they run nor once the server has waited for them.
  uint64_t childrenBefore_ = 0;
  std::set<pid_t> childrenSeen_;
  uint64_t serverCpu_ = 0;
  uint64_t childCpu_ = 0;
  uint64_t serverPeakKb_ = 0;
  uint64_t childPeakKb_ = 0;
};

}  // namespace pelaryn
