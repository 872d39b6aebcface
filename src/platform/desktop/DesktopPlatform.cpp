#include "platform/desktop/DesktopPlatform.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <thread>

#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/SdlJoystick.h"
#include "render/Pictures.h"

namespace pelaryn {
namespace {

class SilentMusic : public MusicDevice {
 public:
  bool Open(const std::string&) override { return false; }
  void Play() override {}
  void PlayFromStart() override {}
  void Stop() override {}
  void Close() override {}
  std::string_view Mode() override { return ""; }
};

class SilentSound : public SoundPlayer {
 public:
  void Play(std::string_view, bool) override {}
};

}  // namespace

DesktopPlatform::DesktopPlatform(MainWindow& window)
    : window_(window),
      joystick_(std::make_unique<SdlJoystick>()),
      music_(std::make_unique<SilentMusic>()),
      sound_(std::make_unique<SilentSound>()) {}

DesktopPlatform::~DesktopPlatform() = default;

uint32_t DesktopPlatform::TimeGetTime() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start_);
  return static_cast<uint32_t>(ms.count());  // wraps like the counter it stands for
}

void DesktopPlatform::Sleep(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void DesktopPlatform::ProcessEvents() {
  window_.SyncMenu();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DesktopPlatform::WaitEvents() {
  window_.SyncMenu();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void DesktopPlatform::Present(const Surface& field) {
  window_.Field().Show(field);
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
  if (path.empty()) return false;
  QImageReader reader(QString::fromStdString(path));
  const QSize size = reader.size();
  // A header that promises an enormous picture is refused before anything is allocated.
  if (size.isValid() && (size.width() > MaxPictureSide || size.height() > MaxPictureSide)) {
    return false;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull() || image.width() > MaxPictureSide ||
      image.height() > MaxPictureSide) {
    return false;
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  out.Resize(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) out.SetPixel(x, y, row[x]);
  }
  return true;
}

std::string DesktopPlatform::ProgramFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

MusicDevice& DesktopPlatform::Music() {
  return *music_;
}

SoundPlayer& DesktopPlatform::Sound() {
  return *sound_;
}

}  // namespace pelaryn
