#pragma once
// Lays out an installation tree: the program folder, its parent holding
// "パスデータ.txt", the data folder with the sound folder and the program's
// content folder. Used for the demo installation and by the scenario tests.
//
//   <root>/パスデータ.txt             data folder (absolute) and nine more fields
//   <root>/<program>/minatori         the executable
//   <root>/data/                      共通データ.txt, 新名簿.txt
//   <root>/data/音フォルダ/           sound table and WAV files
//   <root>/data/<program>/            criteria, history table, results log

#include <QString>
#include <QStringList>

namespace minatori::installation {

struct Layout {
  QString root;                 // created when missing
  QString programFolderName = QStringLiteral("MINATORI");
  QString dataSource;           // files copied into the data folder
  QString contentSource;        // files copied into the content folder
  QStringList soundSources;     // folders whose files are copied into the sound folder
  QString executable;           // copied into the program folder (may be empty)
};

QString programFolder(const Layout &layout);  // without trailing separator
QString dataFolder(const Layout &layout);     // with trailing separator
QString contentFolder(const Layout &layout);  // with trailing separator
QString soundFolder(const Layout &layout);    // with trailing separator

// Creates the tree. Files already there are replaced; the results log is left alone.
// Throws RuntimeError on a file that cannot be written.
void layOut(const Layout &layout);

// The ten fields of "パスデータ.txt" for a data folder.
QByteArray pathFileBytes(const QString &dataFolder);

}  // namespace minatori::installation
