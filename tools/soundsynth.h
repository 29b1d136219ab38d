#pragma once
// The demo installation's feedback sounds, synthesised from notes: short
// 16-bit mono PCM WAV files of our own making.

#include <QByteArray>
#include <QString>
#include <vector>

namespace minatori::synth {

inline constexpr int kSampleRate = 22050;

enum class Timbre { Bell, Soft, Buzz, Brass };

struct Note {
  double frequency;  // Hz
  double start;      // seconds from the beginning
  double duration;   // seconds
  double amplitude;  // 0..1 before the mix is normalised
  Timbre timbre;
};

// The samples of the mixed notes, normalised to a comfortable peak.
std::vector<qint16> render(const std::vector<Note> &notes);
// A RIFF WAVE file holding 16-bit mono samples.
QByteArray wavFile(const std::vector<qint16> &samples, int sampleRate = kSampleRate);

struct NamedSound {
  QString stem;  // file name without ".wav"
  std::vector<Note> notes;
};

// Every sound of the demo installation's sound table, plus the two fixed ones.
std::vector<NamedSound> demoSounds();

}  // namespace minatori::synth
