#pragma once
// Finding the installation's folders and reading its two configuration files:
// "パスデータ.txt" beside the program folder and "共通データ.txt" in the data folder.

#include <QColor>
#include <QString>

namespace minatori {

struct ProgramState;

inline constexpr const char16_t *kPathFileName = u"パスデータ.txt";
inline constexpr const char16_t *kCommonFileName = u"共通データ.txt";
inline constexpr const char16_t *kSoundFolderName = u"音フォルダ";

// A program folder whose path holds this name runs in development mode
// (unless the path also holds "VANTORA"): it then takes its data from
// kDevelopmentDataFolder under the root of its own path, and keeps its
// content files in its own folder.
inline constexpr const char16_t *kDevelopmentFolderName = u"MINATORI_DEV";
// Relative to the root, in Windows form.
inline constexpr const char16_t *kDevelopmentDataFolder = u"MINATORI_DEV\\DATA\\";

struct SchoolNameSplit {
  QString code;  // five characters or empty
  QString name;
};

// "12345Aoba" → code "12345", name "Aoba". The field is split only when its
// first five characters read as a number other than 0; a field shorter than
// five characters is never split.
SchoolNameSplit splitSchoolCode(const QString &field);

// Background colour of the name-selection and progress screens for a month 1..12.
QColor seasonColorForMonth(int month);

int developmentModeFor(const QString &programFolderPath);
QString developmentDataFolder(const QString &programFolderPath);

// The data folder named by the first of the ten fields of "パスデータ.txt",
// with its trailing separator. Throws RuntimeError(InputPastEnd) when the
// text holds fewer than ten fields.
QString parsePathData(const QString &text, const QString &file);

// Takes the ten fields of "共通データ.txt" into state: the year's start month,
// the school code and name, the status-2 switch and the teacher password.
// Nothing is changed when the text is too short (RuntimeError(InputPastEnd)).
void parseCommonData(ProgramState &state, const QString &text, const QString &file);

// Fills the folder and configuration fields, sets the program identity and
// loads the level criteria and the sound table. `programFolderPath` is the folder holding the
// executable, without a trailing separator. developmentMode must already be
// set. Throws RuntimeError when a file is missing or too short.
void loadConfiguration(ProgramState &state, const QString &programFolderPath);

}  // namespace minatori
