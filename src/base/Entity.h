#pragma once

#include <cstdint>

namespace pelaryn {

// The one record of every moving thing. Each table gives some fields a meaning of its own; the
// accessors below name those meanings so that code reads as the game's rules do.
struct Entity {
  int16_t X = 0;
  int16_t Y = 0;
  int16_t State = 0;
  int16_t Kind = 0;
  int16_t W = 0;
  int16_t H = 0;
  int16_t DX = 0;
  int16_t DY = 0;
  int16_t SrcX = 0;
  int16_t SrcY = 0;
  int16_t Extra = 0;

  int16_t& Life() { return State; }
  int16_t Life() const { return State; }
  int16_t& Active() { return State; }
  int16_t Active() const { return State; }
  int16_t& Fuse() { return Kind; }
  int16_t Fuse() const { return Kind; }
  int16_t& Dist() { return Extra; }
  int16_t Dist() const { return Extra; }
  int16_t& Bonus() { return Extra; }
  int16_t Bonus() const { return Extra; }
  int16_t& StepX() { return DX; }
  int16_t StepX() const { return DX; }
  int16_t& StepY() { return DY; }
  int16_t StepY() const { return DY; }
};

static_assert(sizeof(Entity) == 22, "the entity record is eleven 16-bit fields");

}  // namespace pelaryn
