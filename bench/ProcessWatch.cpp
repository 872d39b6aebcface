#include "ProcessWatch.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pelaryn {
namespace {

// Every process id: /proc lists no children here, so every process is asked for its parent.
std::vector<pid_t> ProcessIds() {
  std::vector<pid_t> ids;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error == std::errc() && end == name.data() + name.size()) ids.push_back(pid);
  }
  return ids;
}

}  // namespace

ProcessWatch::ProcessWatch(pid_t server) : server_(server) {}

bool ProcessWatch::ReadCpu(pid_t pid, Cpu& cpu) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  // The command name may hold spaces and parentheses: the fields start after its last ')'.
  const auto close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 2));
  std::string state;
  long long parent = 0;
  fields >> state >> parent;
  // Fields 5 to 13 (process group … major faults), then utime, stime, cutime, cstime.
  std::string skip;
  for (int i = 0; i < 9; ++i) fields >> skip;
  unsigned long long utime = 0, stime = 0, cutime = 0, cstime = 0;
  if (!(fields >> utime >> stime >> cutime >> cstime)) return false;
  cpu.Own = utime + stime;
  cpu.Children = cutime + cstime;
  cpu.Parent = static_cast<pid_t>(parent);
  return true;
}

uint64_t ProcessWatch::PeakKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmHWM:", 0) != 0) continue;
    std::istringstream value(line.substr(6));
    uint64_t kb = 0;
    value >> kb;
    return kb;
  }
  return 0;
}

double ProcessWatch::Seconds(uint64_t ticks) const {
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool ProcessWatch::Sample() {
  Cpu server;
  if (!ReadCpu(server_, server)) return false;
  uint64_t running = 0;
  for (pid_t pid : ProcessIds()) {
    Cpu cpu;
    if (pid == server_ || !ReadCpu(pid, cpu) || cpu.Parent != server_) continue;
    running += cpu.Own;
    childrenSeen_.insert(pid);
    childPeakKb_ = std::max(childPeakKb_, PeakKb(pid));
  }
  if (!started_) {
    started_ = true;
    serverStart_ = server;
    childrenBefore_ = running;
  }
  serverCpu_ = server.Own - serverStart_.Own;
  // A child the server has waited for has moved its whole time into the server's cutime. One
  // that ends between the two reads is missed once; the total never goes back.
  const int64_t used = static_cast<int64_t>(server.Children - serverStart_.Children) +
                       static_cast<int64_t>(running) - static_cast<int64_t>(childrenBefore_);
  childCpu_ = std::max<int64_t>(static_cast<int64_t>(childCpu_), used);
  serverPeakKb_ = std::max(serverPeakKb_, PeakKb(server_));
  return true;
}

}  // namespace pelaryn
