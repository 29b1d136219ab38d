#include "app/configuration.h"

#include "app/levelcatalogue.h"
#include "app/levelcriteria.h"
#include "app/programstate.h"
#include "platform/fieldfile.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "sound/soundtable.h"

namespace minatori {

SchoolNameSplit splitSchoolCode(const QString &field) {
  if (field.size() >= 5 && leadingNumber(field.left(5)) != 0) return {field.left(5), field.mid(5)};
  return {QString(), field};
}

QColor seasonColorForMonth(int month) {
  if (month <= 2) return {255, 128, 0};
  if (month <= 5) return {192, 255, 192};
  if (month <= 8) return {0, 192, 192};
  if (month <= 11) return {192, 64, 0};
  return {192, 255, 192};
}

int developmentModeFor(const QString &programFolderPath) {
  return programFolderPath.contains(QString::fromUtf16(kDevelopmentFolderName)) &&
                 !programFolderPath.contains(QStringLiteral("VANTORA"))
             ? 1
             : 0;
}

QString developmentDataFolder(const QString &programFolderPath) {
  return paths::driveRoot(programFolderPath) +
         paths::fromWindowsRelative(QString::fromUtf16(kDevelopmentDataFolder));
}

QString parsePathData(const QString &text, const QString &file) {
  FieldReader in(text, file);
  // A folder given without its separator would form wrong file names.
  const QString dataFolder = paths::withTrailingSeparator(in.readText());
  in.skip(9);
  return dataFolder;
}

void parseCommonData(ProgramState &state, const QString &text, const QString &file) {
  FieldReader in(text, file);
  const double yearStartMonth = in.readNumber();
  const QString schoolField = in.readText();
  const double showStatus2 = in.readNumber();
  in.skip(2);  // field 4 is not used, field 5 is ignored
  const QString teacherPassword = in.readText();
  in.skip(4);
  state.yearStartMonth = yearStartMonth;
  state.showStatus2 = showStatus2;
  state.teacherPassword = teacherPassword;
  const SchoolNameSplit split = splitSchoolCode(schoolField);
  state.schoolCode = split.code;
  state.schoolName = split.name;
}

void loadConfiguration(ProgramState &state, const QString &programFolderPath) {
  state.appFolder = paths::withTrailingSeparator(programFolderPath);

  const QString pathFile = state.appFolder + paths::parentStep() + QString::fromUtf16(kPathFileName);
  state.dataFolder = parsePathData(readCp932File(pathFile), pathFile);
  if (state.developmentMode == 1) state.dataFolder = developmentDataFolder(programFolderPath);

  const QString commonFile = state.dataFolder + QString::fromUtf16(kCommonFileName);
  parseCommonData(state, readCp932File(commonFile), commonFile);

  state.appFolderName = paths::lastComponent(programFolderPath);
  state.contentFolder = state.developmentMode == 1
                            ? state.appFolder
                            : state.dataFolder + state.appFolderName + paths::separator();
  state.soundFolder = state.dataFolder + QString::fromUtf16(kSoundFolderName) + paths::separator();

  setProgramIdentity(state);
  loadLevelCriteria(state);
  loadSoundTable(state);
}

}  // namespace minatori
