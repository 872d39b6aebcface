#include "platform/desktop/DesktopPlatform.h"

#include <SDL.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QWindow>
#include <thread>

#include "audio/SoundEffects.h"
#include "persist/DiskFileStore.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/SdlAudio.h"
#include "platform/desktop/SdlJoystick.h"
#include "platform/desktop/ui/DesktopDialogs.h"
#include "platform/picture/PictureFile.h"
#include "render/Pictures.h"

namespace pelaryn {

namespace {

ProgramLayout FindDesktopLayout() {
  // The folder of the program's real file, whatever link or working directory started it. The
  // build names where its installation puts the data, as seen from the installed program.
  return FindProgramLayout(QCoreApplication::applicationDirPath().toStdString(),
                           PELARYN_DATA_FROM_PROGRAM, UserDataFolder());
}

}  // namespace

DesktopPlatform::DesktopPlatform(MainWindow& window, const Pictures& pictures,
                                 const std::string& soundFont)
    : window_(window),
      layout_(FindDesktopLayout()),
      joystick_(std::make_unique<SdlJoystick>()),
      audio_(std::make_unique<SdlAudio>(
          soundFont, ProgramFolder(),
          std::vector<std::string>{std::string(sound::Damage), std::string(sound::Hit),
                                   std::string(sound::GetItem), std::string(sound::BombShot),
                                   std::string(sound::BossHit), std::string(sound::Explode)})),
      dialogs_(std::make_unique<DesktopDialogs>(window, pictures, ProgramFolder())),
      files_(std::make_unique<DiskFileStore>(layout_.SaveFolder, layout_.SaveFallback)) {
#ifdef __linux__
  // The kernel may otherwise let the frame wait overrun its deadline by 50 µs to save a wake-up
  // elsewhere; the frame wait is the one sleep of this thread that must end on time.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

DesktopPlatform::~DesktopPlatform() {
  audio_.reset();
  joystick_.reset();
  SDL_Quit();
}

uint32_t DesktopPlatform::TimeGetTime() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start_);
  return static_cast<uint32_t>(ms.count());  // wraps after about 49.7 days; callers subtract
}

void DesktopPlatform::Sleep(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t DesktopPlatform::MicroTime() {
  return MonotonicMicros();
}

void DesktopPlatform::WaitUntil(uint32_t start, uint32_t micros) {
  WaitUntilMicros(start, micros);
}

void DesktopPlatform::ProcessEvents() {
  window_.SyncMenu();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DesktopPlatform::WaitEvents() {
  window_.SyncMenu();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

uint32_t DesktopPlatform::Present(const Surface& field) {
  const int64_t handed = MonotonicNanos();
  window_.Field().Show(field);
  // A frame drawn before the window is on screen is not shown.
  if (frameLog_.Active() && window_.windowHandle() != nullptr &&
      window_.windowHandle()->isExposed()) {
    frameLog_.Record(handed, MonotonicNanos());
  }
  return static_cast<uint32_t>(handed / 1000);  // as MonotonicMicros() reads it
}

bool DesktopPlatform::KeyDown(int virtualKey) {
  return window_.Field().KeyDown(virtualKey);
}

int DesktopPlatform::JoyGetDevCaps(JoyCapsRecord& caps) {
  return joystick_->GetDevCaps(caps);
}

int DesktopPlatform::JoyGetPos(JoyInfo& info) {
  return joystick_->GetPos(info);
}

bool DesktopPlatform::LoadPicture(const std::string& path, Surface& out) {
  if (path.empty()) return false;  // no picture chosen
  std::string why;
  if (LoadPictureFile(path, out, why)) return true;
  warnings_.Warn("the background picture", path, why);
  return false;
}

std::string DesktopPlatform::ProgramFolder() {
  return layout_.DataFolder;
}

MusicDevice& DesktopPlatform::Music() {
  return audio_->Music();
}

SoundPlayer& DesktopPlatform::Sound() {
  return audio_->Sound();
}

Dialogs& DesktopPlatform::Windows() {
  return *dialogs_;
}

FileStore& DesktopPlatform::Files() {
  return *files_;
}

}  // namespace pelaryn
