// Writes the demo installation's WAV files: makesounds <folder>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "tools/soundsynth.h"

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: makesounds <folder>\n");
    return 2;
  }
  const QDir dir(args[1]);
  if (!QDir().mkpath(dir.path())) return 1;
  for (const auto &sound : minatori::synth::demoSounds()) {
    QFile f(dir.filePath(sound.stem + QStringLiteral(".wav")));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(minatori::synth::wavFile(minatori::synth::render(sound.notes))) < 0) {
      std::fprintf(stderr, "makesounds: cannot write %s\n", qPrintable(f.fileName()));
      return 1;
    }
  }
  return 0;
}
