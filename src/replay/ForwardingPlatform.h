#pragma once

#include "base/Platform.h"

namespace pelaryn {

// A platform that hands every call on to another one; the replay wrappers override what they
// note or answer themselves.
class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}

  uint32_t TimeGetTime() override { return inner_.TimeGetTime(); }
  void Sleep(uint32_t ms) override { inner_.Sleep(ms); }
  uint32_t MicroTime() override { return inner_.MicroTime(); }
  void WaitUntil(uint32_t start, uint32_t micros) override { inner_.WaitUntil(start, micros); }
  void ProcessEvents() override { inner_.ProcessEvents(); }
  void WaitEvents() override { inner_.WaitEvents(); }
  uint32_t Present(const Surface& field) override { return inner_.Present(field); }
  bool KeyDown(int virtualKey) override { return inner_.KeyDown(virtualKey); }
  int JoyGetDevCaps(JoyCapsRecord& caps) override { return inner_.JoyGetDevCaps(caps); }
  int JoyGetPos(JoyInfo& info) override { return inner_.JoyGetPos(info); }
  bool LoadPicture(const std::string& path, Surface& out) override {
    return inner_.LoadPicture(path, out);
  }
  std::string ProgramFolder() override { return inner_.ProgramFolder(); }
  MusicDevice& Music() override { return inner_.Music(); }
  SoundPlayer& Sound() override { return inner_.Sound(); }
  Dialogs& Windows() override { return inner_.Windows(); }
  FileStore& Files() override { return inner_.Files(); }

 protected:
  Platform& Inner() { return inner_; }

 private:
  Platform& inner_;
};

}  // namespace pelaryn
