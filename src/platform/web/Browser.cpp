#include "platform/web/Browser.h"

#include <emscripten.h>

#include <array>
#include <cstdlib>

#include <nlohmann/json.hpp>

// Each call hands over to the page's own script (app/web/page.js, as Module.page), which keeps
// the canvas, the key queue, the storage and the test hook; what is done here is only the
// crossing of the border.

// clang-format off
EM_JS(double, pelaryn_now, (), { return performance.now(); });
EM_ASYNC_JS(void, pelaryn_sleep_until, (double deadline), {
  await Module.page.sleepUntil(deadline);
});
EM_ASYNC_JS(void, pelaryn_wait_for_input, (double timeout), {
  await Module.page.waitForInput(timeout);
});
EM_JS(int, pelaryn_take_key, (char* code, int size), {
  const event = Module.page.takeKey();
  if (!event) return -1;
  stringToUTF8(event.code, code, size);
  return event.down ? 1 : 0;
});
EM_JS(void, pelaryn_show_field, (const uint8_t* rgba, int width, int height, double handed), {
  Module.page.showField(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height, handed);
});
EM_JS(void, pelaryn_show_ship, (int x, int y, int width, int height, int stepX, int stepY), {
  Module.page.showShip(x, y, width, height, stepX, stepY);
});
EM_JS(int, pelaryn_read_pad, (double* axes, uint32_t* buttons), {
  const pad = Module.page.readPad();
  if (!pad) return 0;
  HEAPF64[axes >> 3] = pad.x;
  HEAPF64[(axes >> 3) + 1] = pad.y;
  HEAPU32[buttons >> 2] = pad.buttons;
  return 1;
});
EM_JS(void, pelaryn_load_effect, (const char* name, const uint8_t* bytes, int size), {
  Module.page.loadEffect(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, pelaryn_play_effect, (const char* name, int interrupt), {
  Module.page.playEffect(UTF8ToString(name), interrupt !== 0);
});
EM_JS(void, pelaryn_open_music, (const uint8_t* bytes, int size), {
  Module.page.openMusic(HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, pelaryn_music_command, (const char* command), {
  Module.page.musicCommand(UTF8ToString(command));
});
EM_JS(int, pelaryn_music_ended, (), { return Module.page.musicEnded() ? 1 : 0; });
EM_JS(int, pelaryn_stored_size, (const char* name), {
  const bytes = Module.page.readStored(UTF8ToString(name));
  return bytes === null ? -1 : bytes.length;
});
EM_JS(void, pelaryn_stored_copy, (const char* name, uint8_t* out), {
  HEAPU8.set(Module.page.readStored(UTF8ToString(name)), out);
});
EM_JS(int, pelaryn_store, (const char* name, const uint8_t* bytes, int size), {
  return Module.page.store(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size)) ? 1 : 0;
});
EM_ASYNC_JS(int, pelaryn_decode_picture, (const uint8_t* bytes, int size, int* size2), {
  const picture = await Module.page.decodePicture(HEAPU8.slice(bytes, bytes + size));
  if (!picture) return 0;
  HEAP32[size2 >> 2] = picture.width;
  HEAP32[(size2 >> 2) + 1] = picture.height;
  return 1;
});
EM_JS(void, pelaryn_picture_copy, (uint8_t* out), {
  HEAPU8.set(Module.page.takePicture(), out);
});
EM_ASYNC_JS(char*, pelaryn_open_window, (const char* request), {
  return Module.page.toHeap(await Module.page.openWindow(JSON.parse(UTF8ToString(request))));
});
EM_ASYNC_JS(char*, pelaryn_next_answer, (), {
  return Module.page.toHeap(await Module.page.nextAnswer());
});
EM_JS(void, pelaryn_close_window, (), { Module.page.closeWindow(); });
EM_JS(void, pelaryn_keep_picture, (const char* name, const uint8_t* rgba, int width, int height), {
  Module.page.keepPicture(UTF8ToString(name), HEAPU8.slice(rgba, rgba + width * height * 4),
                          width, height);
});
EM_JS(void, pelaryn_build_menu, (const char* items), {
  Module.page.buildMenu(JSON.parse(UTF8ToString(items)));
});
EM_JS(void, pelaryn_sync_menu, (uint32_t enabled, uint32_t checked), {
  Module.page.syncMenu(enabled >>> 0, checked >>> 0);
});
EM_JS(char*, pelaryn_stored_names, (const char* prefix), {
  return Module.page.toHeap(JSON.stringify(Module.page.storedNames(UTF8ToString(prefix))));
});
EM_JS(char*, pelaryn_page_looks, (), { return Module.page.toHeap(Module.page.looks()); });
EM_JS(void, pelaryn_show_title, (const char* state), {
  Module.page.showTitle(JSON.parse(UTF8ToString(state)));
});
EM_JS(void, pelaryn_forget, (const char* name), { Module.page.forget(UTF8ToString(name)); });
EM_JS(void, pelaryn_game_over, (const uint8_t* bytes, int size), {
  Module.page.gameOver(HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, pelaryn_open_page, (const char* url), { Module.page.openPage(UTF8ToString(url)); });
EM_JS(void, pelaryn_warn, (const char* text), { console.warn("pelaryn: " + UTF8ToString(text)); });
EM_JS(void, pelaryn_ended, (), { Module.page.ended(); });
EM_JS(int, pelaryn_test_mode, (), { return Module.page.testMode() ? 1 : 0; });
EM_JS(char*, pelaryn_test_value, (const char* name), {
  return Module.page.toHeap(Module.page.testValue(UTF8ToString(name)));
});
EM_JS(void, pelaryn_test_report, (const char* line), {
  Module.page.testReport(UTF8ToString(line));
});
// clang-format on

namespace pelaryn::browser {
namespace {

std::string TakeString(char* text) {
  std::string out = text != nullptr ? text : "";
  std::free(text);
  return out;
}

}  // namespace

double NowMs() {
  return pelaryn_now();
}
void SleepUntil(double deadlineMs) {
  pelaryn_sleep_until(deadlineMs);
}
void WaitForInput(double timeoutMs) {
  pelaryn_wait_for_input(timeoutMs);
}

std::optional<KeyEvent> TakeKeyEvent() {
  std::array<char, 32> code{};
  const int down = pelaryn_take_key(code.data(), static_cast<int>(code.size()));
  if (down < 0) return std::nullopt;
  return KeyEvent{code.data(), down == 1};
}

void ShowField(const uint8_t* rgba, int width, int height, double handedMs) {
  pelaryn_show_field(rgba, width, height, handedMs);
}

void ShowShip(int x, int y, int width, int height, int stepX, int stepY) {
  pelaryn_show_ship(x, y, width, height, stepX, stepY);
}

bool ReadPad(PadState& pad) {
  std::array<double, 2> axes{};
  uint32_t buttons = 0;
  if (pelaryn_read_pad(axes.data(), &buttons) == 0) return false;
  pad = PadState{axes[0], axes[1], buttons};
  return true;
}

void LoadEffect(const std::string& name, const std::string& bytes) {
  pelaryn_load_effect(name.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                      static_cast<int>(bytes.size()));
}

void PlayEffect(const std::string& name, bool interrupt) {
  pelaryn_play_effect(name.c_str(), interrupt ? 1 : 0);
}

void OpenMusic(const std::string& bytes) {
  pelaryn_open_music(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<int>(bytes.size()));
}

void MusicCommand(const char* command) {
  pelaryn_music_command(command);
}

bool MusicEnded() {
  return pelaryn_music_ended() != 0;
}

std::optional<std::string> ReadStored(const std::string& name) {
  const int size = pelaryn_stored_size(name.c_str());
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0) pelaryn_stored_copy(name.c_str(), reinterpret_cast<uint8_t*>(bytes.data()));
  return bytes;
}

bool Store(const std::string& name, const std::string& bytes, std::string& error) {
  if (pelaryn_store(name.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                    static_cast<int>(bytes.size())) != 0) {
    return true;
  }
  error = "the browser's storage refused it (full, or turned off for this page)";
  return false;
}

bool DecodePicture(const std::string& bytes, int& width, int& height, std::string& rgba) {
  std::array<int, 2> size{};
  if (pelaryn_decode_picture(reinterpret_cast<const uint8_t*>(bytes.data()),
                             static_cast<int>(bytes.size()), size.data()) == 0) {
    return false;
  }
  width = size[0];
  height = size[1];
  rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, '\0');
  pelaryn_picture_copy(reinterpret_cast<uint8_t*>(rgba.data()));
  return true;
}

std::string OpenWindow(const std::string& request) {
  return TakeString(pelaryn_open_window(request.c_str()));
}
std::string NextAnswer() {
  return TakeString(pelaryn_next_answer());
}
void CloseWindow() {
  pelaryn_close_window();
}

void KeepPicture(const std::string& name, const uint8_t* rgba, int width, int height) {
  pelaryn_keep_picture(name.c_str(), rgba, width, height);
}

void BuildMenu(const std::string& items) {
  pelaryn_build_menu(items.c_str());
}
void SyncMenu(uint32_t enabled, uint32_t checked) {
  pelaryn_sync_menu(enabled, checked);
}

void ShowTitle(const std::string& state) {
  pelaryn_show_title(state.c_str());
}

std::string PageLooks() {
  return TakeString(pelaryn_page_looks());
}

std::vector<std::string> StoredNames(const std::string& prefix) {
  const nlohmann::json names =
      nlohmann::json::parse(TakeString(pelaryn_stored_names(prefix.c_str())), nullptr, false);
  std::vector<std::string> out;
  if (!names.is_array()) return out;
  for (const auto& name : names) {
    if (name.is_string()) out.push_back(name.get<std::string>());
  }
  return out;
}
void Forget(const std::string& name) {
  pelaryn_forget(name.c_str());
}

void GameOver(const std::string& replay) {
  pelaryn_game_over(reinterpret_cast<const uint8_t*>(replay.data()),
                    static_cast<int>(replay.size()));
}

void OpenPage(const std::string& url) {
  pelaryn_open_page(url.c_str());
}
void Warn(const std::string& text) {
  pelaryn_warn(text.c_str());
}
void Ended() {
  pelaryn_ended();
}
bool TestMode() {
  return pelaryn_test_mode() != 0;
}
std::string TestValue(const std::string& name) {
  return TakeString(pelaryn_test_value(name.c_str()));
}
void TestReport(const std::string& line) {
  pelaryn_test_report(line.c_str());
}

}  // namespace pelaryn::browser
