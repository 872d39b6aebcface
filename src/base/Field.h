#pragma once

namespace pelaryn {

// The play field's inner size; every rule that reads the field's width or height reads these.
inline constexpr int FieldWidth = 300;
inline constexpr int FieldHeight = 400;

}  // namespace pelaryn
