#pragma once

#include <string>
#include <string_view>

namespace pelaryn {

// SHA-256 of `bytes`, as 64 lower-case hexadecimal digits: the name of a replay's bytes on the
// board. A cryptographic hash, because a submitter chooses the bytes: with a weaker one, a forged
// replay could take the name of another player's run and have that run refused as a duplicate.
std::string ContentHash(std::string_view bytes);

}  // namespace pelaryn
