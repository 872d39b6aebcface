// The check every piece passes before the synthesiser's player reads it.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound/MidiCheck.h"

namespace {

using Bytes = std::vector<uint8_t>;
using pelaryn::IsPlayableMidi;

void Append(Bytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
}

void Variable(Bytes& out, uint32_t value) {
  Bytes groups;
  do {
    groups.push_back(static_cast<uint8_t>(value & 0x7F));
    value >>= 7;
  } while (value != 0);
  for (size_t i = groups.size(); i-- > 1;) out.push_back(groups[i] | 0x80);
  out.push_back(groups[0]);
}

void Chunk(Bytes& out, const char* tag, const Bytes& body) {
  out.insert(out.end(), tag, tag + 4);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(body.size() >> shift));
  out.insert(out.end(), body.begin(), body.end());
}

// A track's events, each a delta time followed by its bytes; the end of track is added.
struct Track {
  Bytes bytes;
  Track& Event(uint32_t delta, std::initializer_list<int> event) {
    Variable(bytes, delta);
    Append(bytes, event);
    return *this;
  }
  Track& Tempo(uint32_t delta, uint32_t micros) {
    return Event(delta, {0xFF, 0x51, 3, static_cast<int>(micros >> 16),
                         static_cast<int>(micros >> 8 & 0xFF), static_cast<int>(micros & 0xFF)});
  }
  Bytes Ended() const {
    Bytes out = bytes;
    Append(out, {0, 0xFF, 0x2F, 0});
    return out;
  }
};

Bytes File(const std::vector<Track>& tracks, int format = 1, int division = 480) {
  Bytes header;
  Append(header, {0, format, 0, static_cast<int>(tracks.size()), division >> 8, division & 0xFF});
  Bytes file;
  Chunk(file, "MThd", header);
  for (const Track& track : tracks) Chunk(file, "MTrk", track.Ended());
  return file;
}

// Half a second of middle C.
Track Note() {
  return Track().Event(0, {0x90, 60, 100}).Event(240, {0x80, 60, 0});
}

std::string Why(const Bytes& bytes, const pelaryn::MidiLimits& limits = {}) {
  std::string why;
  return IsPlayableMidi(bytes, why, limits) ? "" : why;
}

TEST(MidiCheck, OurPiecesAndPlainFilesPass) {
  const std::filesystem::path sound = std::filesystem::path(PELARYN_RUNTIME_DIR) / "sound";
  for (const char* piece : {"title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"}) {
    std::ifstream in(sound / piece, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty()) << piece;
    EXPECT_EQ(Why(bytes), "") << piece;
  }
  EXPECT_EQ(Why(File({Note()}, 0)), "");
  // Running status, a system-exclusive message, text, and a chunk of a kind players skip.
  Track rich = Track()
                   .Event(0, {0xF0, 3, 0x7E, 0x7F, 0xF7})
                   .Event(0, {0xFF, 0x03, 4, 'l', 'e', 'a', 'd'})
                   .Event(0, {0x90, 60, 100})
                   .Event(10, {64, 100})
                   .Event(10, {60, 0, 0, 64, 0});
  Bytes withAlien;
  Append(withAlien, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xE0});
  Chunk(withAlien, "XFIH", {1, 2, 3});
  Chunk(withAlien, "MTrk", rich.Ended());
  EXPECT_EQ(Why(withAlien), "");
}

TEST(MidiCheck, FilesThePlayerCannotReadAreRefused) {
  const Bytes good = File({Note()});
  auto changed = [&](auto change) {
    Bytes bytes = good;
    change(bytes);
    return Why(bytes);
  };
  EXPECT_NE(Why({}), "");
  EXPECT_NE(changed([](Bytes& b) { b[0] = 'X'; }), "");
  EXPECT_NE(changed([](Bytes& b) { b.resize(12); }), "");
  EXPECT_NE(changed([](Bytes& b) { b[7] = 5; }), "");   // header too short
  EXPECT_NE(changed([](Bytes& b) { b[7] = 60; }), "");  // header longer than the file
  EXPECT_EQ(changed([](Bytes& b) { b[9] = 2; }), "is a MIDI file of format 2, not 0 or 1");
  EXPECT_NE(changed([](Bytes& b) { b[9] = 7; }), "");
  EXPECT_NE(changed([](Bytes& b) { b[12] = 0, b[13] = 0; }), "");      // no ticks per quarter
  EXPECT_NE(changed([](Bytes& b) { b[12] = 0xE7, b[13] = 40; }), "");  // SMPTE frames
  EXPECT_NE(changed([](Bytes& b) { b[11] = 0; }), "");                 // no tracks
  EXPECT_EQ(changed([](Bytes& b) { b[11] = 2; }), "ends before its last track");
  EXPECT_NE(changed([](Bytes& b) { b[21] = static_cast<uint8_t>(b[21] + 1); }), "");
  EXPECT_EQ(changed([](Bytes& b) { b[14] = 0x80; }), "has a damaged chunk");
  EXPECT_EQ(changed([](Bytes& b) { b.resize(b.size() - 4), b[21] -= 4; }),
            "has a track without its end");
  EXPECT_EQ(changed([](Bytes& b) { b.resize(b.size() - 1), b[21] -= 1; }), "ends inside an event");
  EXPECT_EQ(changed([](Bytes& b) { b[23] = 0x10; }), "has data without a status byte");
  EXPECT_EQ(changed([](Bytes& b) { b[25] = 0x90; }), "has a damaged event");
  EXPECT_NE(changed([](Bytes& b) { b[23] = 0xF8; }), "");  // a clock tick has no place in a file

  // Running status does not survive a meta event.
  EXPECT_EQ(Why(File({Note().Event(0, {0xFF, 0x01, 1, 'x'}).Event(0, {60, 100})})),
            "has data without a status byte");
  // Delta times of more than four bytes.
  EXPECT_NE(Why(File({Note().Event(0, {0xFF, 0x01, 0x81, 0x81, 0x81, 0x81, 0x01})})), "");

  Track big = Note();
  big.bytes.insert(big.bytes.end(), {0, 0xF0});
  Variable(big.bytes, 65'536);
  big.bytes.resize(big.bytes.size() + 65'536, 0x11);
  EXPECT_EQ(Why(File({big})), "has an oversized event");

  Track tracks = Note();
  EXPECT_EQ(Why(File(std::vector<Track>(128, tracks))), "");
  EXPECT_NE(Why(File(std::vector<Track>(129, tracks))), "");
}

TEST(MidiCheck, APieceMustHaveANote) {
  EXPECT_EQ(Why(File({Track().Event(0, {0xC0, 16}).Event(480, {0x90, 60, 0})})), "has no notes");
  // A note in the second track counts.
  EXPECT_EQ(Why(File({Track().Tempo(0, 400'000), Note()})), "");
}

TEST(MidiCheck, EventsAreBoundedPerMomentAndPerSecond) {
  // One moment's events, the controller changes in one track and the rest in another, with the
  // note starts of the next tick.
  struct Moment {
    int controllers;
    int notes;
    int silentNotes;  // note-ons of velocity 0, which end a note
    int sysex;
    int metas;
    int notesAfter;
    std::string why;
  };
  const std::string tooManyEvents = "has more than 1024 events at one moment";
  const std::string tooManyNotes = "has more than 128 notes at one moment";
  const Moment moments[] = {
      {1'023, 1, 0, 0, 0, 0, ""},  // the most: 1,024 with the note
      {1'024, 1, 0, 0, 0, 0, tooManyEvents},
      {1'000, 1, 0, 23, 500, 0, ""},  // metas ask nothing of the synthesiser
      {1'000, 1, 0, 24, 0, 0, tooManyEvents},
      {0, 128, 200, 0, 0, 0, ""},  // the most note starts
      {0, 129, 0, 0, 0, 0, tooManyNotes},
      {500, 128, 0, 0, 0, 128, ""},  // each moment counts its own
      {20'000, 1, 0, 0, 0, 0, tooManyEvents},
  };
  for (const Moment& m : moments) {
    Track first;
    for (int i = 0; i < m.controllers; ++i) first.Event(0, {0xB0 | (i & 15), 7, 100});
    Track second;
    for (int i = 0; i < m.sysex; ++i) second.Event(0, {0xF0, 3, 0x7E, 0x7F, 0xF7});
    for (int i = 0; i < m.metas; ++i) second.Event(0, {0xFF, 0x01, 1, 'x'});
    for (int i = 0; i < m.silentNotes; ++i) second.Event(0, {0x99, 36, 0});
    for (int i = 0; i < m.notes; ++i) second.Event(0, {0x90 | (i & 15), 30 + i % 64, 100});
    for (int i = 0; i < m.notesAfter; ++i) second.Event(i == 0 ? 1 : 0, {0x91, 60, 100});
    EXPECT_EQ(Why(File({first, second})), m.why)
        << m.controllers << " controllers, " << m.notes << " notes, " << m.sysex << " sysex";
  }

  // 2,400 events one tick apart: at 480 ticks a quarter and the default half second a quarter,
  // 961 fall within a second; at a tempo 2.4 times as fast, 2,305 do.
  auto stream = [](int tempoMicros, uint32_t tempoTick) {
    Track tempo = Track().Tempo(tempoTick, static_cast<uint32_t>(tempoMicros));
    Track notes = Track().Event(0, {0x90, 60, 100});
    for (int i = 0; i < 2'400; ++i) notes.Event(1, {0xA0, 60, i & 0x7F});
    return File({tempo, notes});
  };
  EXPECT_EQ(Why(stream(500'000, 0)), "");
  EXPECT_EQ(Why(stream(250'100, 0)), "");  // 1,920 a second
  EXPECT_EQ(Why(stream(208'333, 0)), "has more than 2000 events in a second");
  // The faster tempo only from after the last event: the piece stays slow.
  EXPECT_EQ(Why(stream(208'333, 2'402)), "");
  // From tick 200 on, the last 2,200 events fall within 0.96 s.
  EXPECT_NE(Why(stream(208'333, 200)), "");
  EXPECT_EQ(Why(stream(208'333, 1'200)), "");

  // A second is half open. With a quarter of a second a tick, the tempo and notes on ticks 0
  // to 3 are five events in a second; a note on tick 4 comes a second after those on tick 0.
  pelaryn::MidiLimits four;
  four.EventsPerSecond = 4;
  auto onTicks = [](std::initializer_list<uint32_t> ticks) {
    Track notes = Track().Tempo(0, 1'000'000);
    uint32_t now = 0;
    for (uint32_t tick : ticks) notes.Event(tick - std::exchange(now, tick), {0x90, 60, 100});
    return File({notes}, 0, 4);
  };
  EXPECT_EQ(Why(onTicks({0, 1, 2, 4}), four), "");
  EXPECT_EQ(Why(onTicks({0, 1, 2, 3}), four), "has more than 4 events in a second");

  // Tempo changes follow one another: each counts from the tick of the one before.
  pelaryn::MidiLimits slow;
  slow.EventsPerSecond = 300;
  slow.NotesPerTick = 200;
  Track early;
  for (int i = 0; i < 200; ++i) early.Event(0, {0x90, 60, 100});
  Track late = Track().Tempo(1, 1'000'000).Tempo(0, 1'000'000);
  for (int i = 0; i < 200; ++i) late.Event(0, {0x80, 60, 0});
  EXPECT_EQ(Why(File({early, late}, 1, 1), slow), "has more than 300 events in a second");

  pelaryn::MidiLimits few;
  few.Events = 4;
  EXPECT_EQ(Why(File({Note(), Note()}), few), "");  // a note's start and end in each
  EXPECT_EQ(Why(File({Note(), Note(), Note()}), few), "has more than 4 events");
}

}  // namespace
