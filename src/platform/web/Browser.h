#pragma once

// The few things the game asks of the page, each one call into the page's JavaScript. Only the
// browser build has them; everything that can be decided without a browser lives beside them
// in plain C++ and is tested on the desktop.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelaryn::browser {

// The page's monotonic clock (performance.now), in milliseconds with a fraction.
double NowMs();
// Gives the browser its turn until the clock reads `deadlineMs`: timers for the long part, the
// page's own message loop for the last millisecond, so the game wakes on time without spinning.
void SleepUntil(double deadlineMs);
// Gives the browser its turn until a key, a click or a pad arrives, or `timeoutMs` passes.
void WaitForInput(double timeoutMs);

// The next key event the page has seen since the last call: its KeyboardEvent.code, and whether
// it went down. None when there is none left; "Blur" when the page lost the keyboard.
struct KeyEvent {
  std::string Code;
  bool Down = false;
};
std::optional<KeyEvent> TakeKeyEvent();

// The play field's 300 × 400 pixels, RGBA, onto the page's canvas; `handedMs` is when the game
// handed it over, on the page's clock, for the page's frame log.
void ShowField(const uint8_t* rgba, int width, int height, double handedMs);
// Where the ship stands on the field and how far one frame's key moves it, for the page's touch
// steering to press the keys the player's finger asks for; width 0 while there is no ship to
// steer (the title, a replay).
void ShowShip(int x, int y, int width, int height, int stepX, int stepY);

// The first pad with the standard mapping: axes in [-1, 1], buttons as the Gamepad API numbers
// them. False when there is none.
struct PadState {
  double X = 0;
  double Y = 0;
  uint32_t Buttons = 0;  // bit n: button n held (0 A, 1 B, 2 X, 3 Y, 12..15 the D-pad)
};
bool ReadPad(PadState& pad);

// An effect's WAV bytes for the page to decode and keep under `name`; then `name` played at
// once, cutting the one that sounds when `interrupt`, else dropped while another sounds.
// Silent until the page has heard a key or a click: browsers start sound only then.
void LoadEffect(const std::string& name, const std::string& bytes);
void PlayEffect(const std::string& name, bool interrupt);

// The music: a piece's MIDI bytes opened (stopped, at its beginning); then "play" (resume),
// "start" (from the beginning), "stop" (hold where it is) or "close". MusicEnded: the open piece
// has played through since it last started.
void OpenMusic(const std::string& bytes);
void MusicCommand(const char* command);
bool MusicEnded();

// The page's storage: a file's exact bytes, or none.
std::optional<std::string> ReadStored(const std::string& name);
bool Store(const std::string& name, const std::string& bytes, std::string& error);

// The picture in `bytes` decoded by the browser, as RGBA bytes; false when it cannot.
bool DecodePicture(const std::string& bytes, int& width, int& height, std::string& rgba);

// The page's own windows, drawn in HTML. A window is described in JSON (its "kind" and what it
// shows); OpenWindow puts it up and returns the player's first answer, in JSON; NextAnswer waits
// for the next one while it stays up (更新 applies without closing); CloseWindow takes it down.
// Waiting for an answer holds the game, as a modal window does on the desktop.
std::string OpenWindow(const std::string& request);
std::string NextAnswer();
void CloseWindow();
// A picture the windows show (the ranking's logo, the about box's), as RGBA.
void KeepPicture(const std::string& name, const uint8_t* rgba, int width, int height);
// The menu bar: its items once, in JSON, then their enabled states and check marks as bit masks
// by item, whenever they change.
void BuildMenu(const std::string& items);
void SyncMenu(uint32_t enabled, uint32_t checked);
// How the player wants the picture to look, in JSON: {"gentleFlash": …, "english": …}.
std::string PageLooks();
// What the page's title tells, in JSON: whether the game is paused, and the replay that plays
// ({"paused", "replay": {"name", "score", "fast", "black"}}), for the page to word.
void ShowTitle(const std::string& state);
// Names the page keeps files under `prefix` in its storage, without the prefix.
std::vector<std::string> StoredNames(const std::string& prefix);
void Forget(const std::string& name);
// A game over's replay, handed to the page as it is kept (the page may send it to a score board).
void GameOver(const std::string& replay);
void OpenPage(const std::string& url);
// A line for the browser's console, where a developer looks.
void Warn(const std::string& text);
// The game has ended (終了): the page says so.
void Ended();

// Test hook: whether the page was opened for a test, what the test gave it (its window's
// pelarynTest + `name`: "Keys", a key script; "Settings", lines of NAME=VALUE as pelaryn-sim's
// --set takes them; "ProgramFolder", where the game is to see its files, the headless runner's,
// to compare with it), empty when nothing, and a line for the test to read.
bool TestMode();
std::string TestValue(const std::string& name);
void TestReport(const std::string& line);

}  // namespace pelaryn::browser
