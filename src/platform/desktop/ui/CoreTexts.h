#pragma once

#include <QString>

#include "base/Menu.h"
#include "base/Messages.h"
#include "replay/ReplayFile.h"

namespace pelaryn {

// The game's own texts (its menu captions, its boxes) in the language the windows speak now.
// With no translation installed they are exactly the game's Japanese.
QString MenuCaption(MenuId id);
QString MessageTitleText(MessageId id);
QString MessageBodyText(const Message& message);
// Why a replay file cannot be played.
QString ReplayFaultWords(ReplayFault fault);
// Why a replay window does not play a replay another version of the game recorded.
QString OtherVersionWords();

// The menu captions as the translation knows them, in the order of the game's menu table; a test
// holds them to the table.
const char* const* MenuCaptionSources();

}  // namespace pelaryn
