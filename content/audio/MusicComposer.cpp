#include "content/audio/MusicComposer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "content/RandomStream.h"
#include "content/audio/Instruments.h"
#include "content/audio/Reverb.h"

namespace ynx::content {

namespace {

constexpr int BEATS_PER_BAR = 4;
constexpr int64_t BEAT = MusicComposer::RATE;  // 60 beats a minute
constexpr int64_t EIGHTH = BEAT / 2;
constexpr int64_t BAR = BEAT * BEATS_PER_BAR;
constexpr int CHORD_BARS = 4;
// Plucks and bells sound a moment after their beat, so that no attack falls
// on the loop's join and the join itself stays smooth.
constexpr int64_t LEAD = MusicComposer::RATE / 50;

// Three notes each, all in the scale.
const std::array<std::array<int, 3>, 9> CHORDS = {{
    {50, 57, 64},  // D
    {47, 50, 57},  // Bm
    {43, 50, 59},  // G
    {45, 52, 59},  // A
    {50, 57, 64},  // D
    {52, 55, 59},  // Em
    {47, 50, 57},  // Bm
    {43, 50, 59},  // G
    {45, 52, 59},  // A, leading back to the start
}};

// Rhythms of two bars, as the eighths on which a note starts.
const std::vector<std::vector<int>> RHYTHMS = {
    {0, 2, 4, 6, 8, 11},
    {0, 3, 4, 6, 8, 12},
    {0, 1, 2, 4, 8, 10, 12},
    {0, 4, 6, 8, 12},
    {0, 2, 3, 4, 6, 10},
};

bool InScale(int note) {
  const int pitch = note % 12;
  return pitch == 2 || pitch == 4 || pitch == 7 || pitch == 9 || pitch == 11;
}

std::vector<int> ScaleNotes(int low, int high) {
  std::vector<int> notes;
  for (int note = low; note <= high; ++note) {
    if (InScale(note)) notes.push_back(note);
  }
  return notes;
}

struct Note {
  int eighth;  // from the phrase's start
  int pitch;
};

// A phrase: a walk through the scale, mostly by steps, that leans on the
// chord's notes at the start of each bar and ends on one.
std::vector<Note> MakePhrase(RandomStream& random, const std::vector<int>& scale, size_t start) {
  const std::vector<int>& rhythm = RHYTHMS[random.Below(static_cast<uint32_t>(RHYTHMS.size()))];
  std::vector<Note> phrase;
  int degree = static_cast<int>(start);
  for (int eighth : rhythm) {
    const int step = static_cast<int>(random.Below(5)) - 2;
    degree = std::clamp(degree + (step == 0 ? 1 : step), 0, static_cast<int>(scale.size()) - 1);
    phrase.push_back(Note{eighth, scale[static_cast<size_t>(degree)]});
  }
  return phrase;
}

}  // namespace

SoundBuffer MusicComposer::Compose() {
  SoundBuffer music(2, RATE, BAR * BARS, true);
  RandomStream random(701);

  // Pad and bass, one chord every four bars. Each pad note swells in a bar
  // before its chord and fades out a bar into the next.
  for (size_t c = 0; c < CHORDS.size(); ++c) {
    const int64_t start = static_cast<int64_t>(c) * CHORD_BARS * BAR;
    for (size_t n = 0; n < 3; ++n) {
      const float frequency = Instruments::NoteFrequency(CHORDS[c][n]);
      const float seconds = static_cast<float>(CHORD_BARS + 2) * BEATS_PER_BAR;
      music.Mix(Instruments::Pad(frequency, seconds, RATE, 7.0f), start - BAR, 0.10f, 0.07f);
      music.Mix(Instruments::Pad(frequency, seconds, RATE, 11.0f), start - BAR, 0.07f, 0.10f);
    }
    for (int bar = 0; bar < CHORD_BARS; ++bar) {
      const int root = CHORDS[c][0] - 12;
      const int64_t at = start + bar * BAR + LEAD;
      music.Mix(Instruments::Pluck(Instruments::NoteFrequency(root), 3.5f, RATE, random.Next() & 0xFFFF, 0.25f, 0.8f),
                at, 0.30f, 0.30f);
      if (bar % 2 == 1) {
        music.Mix(Instruments::Pluck(Instruments::NoteFrequency(root + 7), 2.5f, RATE, random.Next() & 0xFFFF, 0.25f, 0.7f),
                  at + 2 * BEAT, 0.20f, 0.22f);
      }
    }
  }

  // The melody: four phrases, arranged A B A C / D E D C / A B A C / D E,
  // then four bars of rest before the loop comes round.
  const std::vector<int> scale = ScaleNotes(62, 83);
  std::vector<std::vector<Note>> phrases;
  for (size_t i = 0; i < 5; ++i) phrases.push_back(MakePhrase(random, scale, 2 + random.Below(6)));
  const int order[] = {0, 1, 0, 2, 3, 4, 3, 2, 0, 1, 0, 2, 3, 4};
  for (size_t slot = 0; slot < sizeof order / sizeof order[0]; ++slot) {
    const int64_t phraseStart = (4 + 2 * static_cast<int64_t>(slot)) * BAR;
    const std::vector<Note>& phrase = phrases[static_cast<size_t>(order[slot])];
    for (const Note& note : phrase) {
      const float velocity = random.Range(0.75f, 1.0f);
      const int64_t at = phraseStart + note.eighth * EIGHTH + LEAD;
      const std::vector<float> pluck =
          Instruments::Pluck(Instruments::NoteFrequency(note.pitch), 3.0f, RATE, random.Next() & 0xFFFF, 0.6f, 0.55f);
      music.Mix(pluck, at, 0.42f * velocity, 0.30f * velocity);
      // A soft echo on the other side, three eighths later.
      music.Mix(pluck, at + 3 * EIGHTH, 0.06f * velocity, 0.12f * velocity);
    }
  }

  // Bells every eight bars, high and to the right.
  const int bells[] = {86, 81, 88, 83, 86};
  for (int i = 0; i < 5; ++i) {
    const int64_t at = static_cast<int64_t>(i) * 8 * BAR + (i == 4 ? 2 * BEAT : 0) + LEAD;
    music.Mix(Instruments::Bell(Instruments::NoteFrequency(bells[i]), 7.0f, RATE, 1.3f), at, 0.05f, 0.10f);
  }

  Reverb::Apply(music, 0.35f, 0.82f);
  music.Normalise(0.8f);
  return music;
}

void MusicComposer::Make(ArchiveFolder& folder) {
  folder.SaveSound("Sounds\\music.ogg", Compose(), 0.2f);
}

}  // namespace ynx::content
