#include "platform/headless/HeadlessPlatform.h"

#include <cstdio>

#include "platform/picture/PictureFile.h"

namespace pelaryn {

bool RecordingMusicDevice::Open(const std::string& path) {
  log_.push_back("open " + path);
  if (open_) return false;
  open_ = true;
  playing_ = false;
  path_ = path;
  return true;
}

void RecordingMusicDevice::Play() {
  log_.emplace_back("play");
  if (open_) playing_ = true;
}

void RecordingMusicDevice::PlayFromStart() {
  log_.emplace_back("play from 0");
  if (open_) playing_ = true;
}

void RecordingMusicDevice::Stop() {
  log_.emplace_back("stop");
  playing_ = false;
}

void RecordingMusicDevice::Close() {
  log_.emplace_back("close");
  open_ = false;
  playing_ = false;
  path_.clear();
}

std::string_view RecordingMusicDevice::Mode() {
  if (!open_) return "";
  return playing_ ? "playing" : "stopped";
}

void RecordingMusicDevice::FinishPiece() {
  playing_ = false;
}

HeadlessPlatform::HeadlessPlatform(std::string programFolder, uint32_t clockStart)
    : programFolder_(std::move(programFolder)), clock_(clockStart) {}

void RecordingDialogs::MessageBox(const Message& message) {
  shown_.push_back({"Message", std::string(MessageTitle(message.Id)), MessageText(message)});
}

std::string RecordingDialogs::InputBox(const Message& prompt) {
  shown_.push_back({"Input", std::string(MessageTitle(prompt.Id)), MessageText(prompt)});
  return name_.value_or(std::string());
}

void RecordingDialogs::ShowRanking(GameState& state) {
  shown_.push_back({"Ranking", "ヴェルガード", ""});
  if (OnRanking) OnRanking(state);
}

void RecordingDialogs::ReportError(const Message& message) {
  const std::string text = MessageText(message);
  errors_.push_back(text);
  std::fprintf(stderr, "pelaryn-sim: %.*s\n", static_cast<int>(text.size()), text.data());
}

std::optional<std::string> MemoryFileStore::Read(std::string_view name) {
  const auto found = files_.find(name);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

bool MemoryFileStore::Write(std::string_view name, std::string_view bytes, std::string&) {
  files_.insert_or_assign(std::string(name), std::string(bytes));
  return true;
}

void HeadlessPlatform::ProcessEvents() {
  if (OnYield) OnYield();
}

uint32_t HeadlessPlatform::Present(const Surface& field) {
  const uint32_t handed = MicroTime();
  if (OnPresent) OnPresent(field);
  return handed;
}

bool HeadlessPlatform::KeyDown(int virtualKey) {
  return keys_.Down(Frame(), virtualKey);
}

int HeadlessPlatform::JoyGetDevCaps(JoyCapsRecord& caps) {
  // Start-up runs before the first frame and counts as part of it.
  if (!joy_ || !joy_->At(Frame() == 0 ? 1 : Frame())) return 1;
  caps.XMax = 65535;
  caps.YMax = 65535;
  return 0;
}

int HeadlessPlatform::JoyGetPos(JoyInfo& info) {
  if (!joy_) return 1;
  const std::optional<JoyInfo> now = joy_->At(Frame());
  if (!now) return 1;
  info = *now;
  return 0;
}

bool HeadlessPlatform::LoadPicture(const std::string& path, Surface& out) {
  if (path.empty()) return false;  // no picture chosen
  std::string why;
  if (LoadPictureFile(path, out, why)) return true;
  warnings_.Warn("the background picture", path, why);
  return false;
}

}  // namespace pelaryn
