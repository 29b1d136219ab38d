#include "tools/soundsynth.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace minatori::synth {

namespace {

// Note frequencies (equal temperament, A4 = 440 Hz).
constexpr double C5 = 523.25, D5 = 587.33, E5 = 659.26, G5 = 783.99, A5 = 880.00;
constexpr double C6 = 1046.50, E6 = 1318.51, G6 = 1567.98, C7 = 2093.00;
constexpr double C4 = 261.63, E4 = 329.63, G4 = 392.00;

double waveform(Timbre t, double phase) {
  const double s1 = std::sin(phase);
  switch (t) {
    case Timbre::Bell: return s1 + 0.35 * std::sin(2 * phase) + 0.12 * std::sin(3.01 * phase);
    case Timbre::Soft: return s1 + 0.15 * std::sin(2 * phase);
    case Timbre::Buzz:
      return s1 + 0.5 * std::sin(3 * phase) + 0.3 * std::sin(5 * phase) + 0.15 * std::sin(7 * phase);
    case Timbre::Brass:
      return s1 + 0.6 * std::sin(2 * phase) + 0.4 * std::sin(3 * phase) + 0.25 * std::sin(4 * phase) +
             0.12 * std::sin(5 * phase);
  }
  return s1;
}

// Attack, then an exponential fall for struck sounds and a held body with a
// short release for blown and buzzing ones.
double envelope(Timbre t, double x, double duration) {
  const double attack = t == Timbre::Brass ? 0.03 : 0.005;
  if (x < attack) return x / attack;
  const double release = std::min(0.06, duration * 0.3);
  const double tail = x > duration - release ? std::max(0.0, (duration - x) / release) : 1.0;
  switch (t) {
    case Timbre::Bell: return std::exp(-(x - attack) * 9.0) * tail;
    case Timbre::Soft: return std::exp(-(x - attack) * 3.0) * tail;
    case Timbre::Buzz: return (1.0 - 0.4 * x / duration) * tail;
    case Timbre::Brass: return (0.85 + 0.15 * std::exp(-(x - attack) * 8.0)) * tail;
  }
  return tail;
}

}  // namespace

std::vector<qint16> render(const std::vector<Note> &notes) {
  double end = 0;
  for (const Note &n : notes) end = std::max(end, n.start + n.duration);
  std::vector<double> mix(static_cast<size_t>(std::ceil((end + 0.02) * kSampleRate)), 0.0);
  for (const Note &n : notes) {
    const size_t first = static_cast<size_t>(n.start * kSampleRate);
    const size_t count = static_cast<size_t>(n.duration * kSampleRate);
    for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
      const double x = static_cast<double>(i) / kSampleRate;
      const double phase = 2 * std::numbers::pi * n.frequency * x;
      mix[first + i] += n.amplitude * envelope(n.timbre, x, n.duration) * waveform(n.timbre, phase);
    }
  }
  double peak = 1e-9;
  for (double v : mix) peak = std::max(peak, std::fabs(v));
  const double scale = 0.7 * 32767.0 / peak;
  std::vector<qint16> out(mix.size());
  std::transform(mix.begin(), mix.end(), out.begin(),
                 [scale](double v) { return static_cast<qint16>(std::lround(v * scale)); });
  return out;
}

QByteArray wavFile(const std::vector<qint16> &samples, int sampleRate) {
  const quint32 dataBytes = static_cast<quint32>(samples.size() * 2);
  QByteArray f;
  auto u32 = [&f](quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    f.append(b, 4);
  };
  auto u16 = [&f](quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    f.append(b, 2);
  };
  f.append("RIFF");
  u32(36 + dataBytes);
  f.append("WAVEfmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<quint32>(sampleRate));
  u32(static_cast<quint32>(sampleRate * 2));
  u16(2);
  u16(16);
  f.append("data");
  u32(dataBytes);
  for (qint16 s : samples) u16(static_cast<quint16>(s));
  return f;
}

std::vector<NamedSound> demoSounds() {
  using T = Timbre;
  std::vector<NamedSound> s;
  // A right drop: one bright ping.
  s.push_back({QStringLiteral("正解ピン"), {{G6, 0, 0.16, 1, T::Bell}, {C7, 0.02, 0.12, 0.4, T::Bell}}});
  // A question completed: a rising chime.
  s.push_back({QStringLiteral("正解チャイム"),
               {{C6, 0, 0.12, 1, T::Bell}, {E6, 0.09, 0.12, 1, T::Bell}, {G6, 0.18, 0.3, 1, T::Bell}}});
  // A wrong drop: a low, beating buzz.
  s.push_back({QStringLiteral("間違いブー"), {{196, 0, 0.35, 1, T::Buzz}, {207, 0, 0.35, 0.8, T::Buzz}}});
  // A refusal: two falling tones.
  s.push_back({QStringLiteral("お知らせ"), {{E5, 0, 0.15, 1, T::Soft}, {C5, 0.15, 0.2, 1, T::Soft}}});
  // A new personal record, two variants.
  s.push_back({QStringLiteral("自己ベスト1"),
               {{G5, 0, 0.1, 1, T::Bell}, {C6, 0.1, 0.1, 1, T::Bell}, {E6, 0.2, 0.1, 1, T::Bell},
                {G6, 0.3, 0.45, 1, T::Bell}, {C6, 0.3, 0.45, 0.5, T::Soft}}});
  s.push_back({QStringLiteral("自己ベスト2"),
               {{E6, 0, 0.08, 1, T::Bell}, {G6, 0.08, 0.08, 1, T::Bell}, {E6, 0.16, 0.08, 1, T::Bell},
                {G6, 0.24, 0.08, 1, T::Bell}, {C7, 0.32, 0.5, 1, T::Bell}}});
  // No record, but within the lowest passing time: a gentle "nearly there".
  s.push_back({QStringLiteral("もう少し"), {{D5, 0, 0.2, 1, T::Soft}, {A5, 0.2, 0.35, 0.9, T::Soft}}});
  // A new all-time record: a short fanfare.
  s.push_back({QStringLiteral("最高1"),
               {{G4, 0, 0.14, 1, T::Brass}, {G4, 0.16, 0.14, 1, T::Brass}, {G4, 0.32, 0.14, 1, T::Brass},
                {C5, 0.48, 0.7, 1, T::Brass}, {E4, 0.48, 0.7, 0.6, T::Brass}, {G4, 0.48, 0.7, 0.6, T::Brass}}});
  // The last level cleared: a longer celebration.
  s.push_back({QStringLiteral("合格"),
               {{C5, 0, 0.15, 1, T::Brass}, {E5, 0.15, 0.15, 1, T::Brass}, {G5, 0.3, 0.15, 1, T::Brass},
                {C6, 0.45, 0.3, 1, T::Brass}, {G5, 0.75, 0.15, 1, T::Brass}, {C6, 0.9, 0.9, 1, T::Brass},
                {C4, 0.9, 0.9, 0.6, T::Brass}, {E4, 0.9, 0.9, 0.5, T::Brass}, {G4, 0.9, 0.9, 0.5, T::Brass},
                {C7, 0.9, 0.6, 0.3, T::Bell}}});
  return s;
}

}  // namespace minatori::synth
