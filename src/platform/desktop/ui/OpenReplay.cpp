#include "platform/desktop/ui/OpenReplay.h"

#include "platform/desktop/ui/CoreTexts.h"

namespace pelaryn {

std::shared_ptr<const Replay> ReadReplay(const std::string& path, std::string& why) {
  ReplayFault fault = ReplayFault::None;
  std::optional<Replay> replay = LoadReplay(path, fault, why);
  if (!replay) {
    if (fault != ReplayFault::None) why = ReplayFaultWords(fault).toStdString();
    return nullptr;
  }
  return std::make_shared<const Replay>(std::move(*replay));
}

}  // namespace pelaryn
