#pragma once
// The one error type of the program: an operating-system or file-format failure
// with a run-time error number, its text and the file it concerns.

#include <QString>
#include <stdexcept>

namespace minatori {

// Run-time error numbers, kept to the classic numbering the classroom machines
// have always reported, so that a teacher's note of "error 53" means the same.
namespace errc {
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIo = 57;
inline constexpr int FileAlreadyOpen = 55;  // another machine holds the file's lock
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
// Our own: a text file that is not code page 932, or holds a character that
// cannot be written in it.
inline constexpr int BadTextEncoding = 1001;
// Our own: another program (an anti-virus scanner, a backup or indexing
// agent, another PC) still held the file after the short retries. Nothing
// was changed; trying again later is expected to work.
inline constexpr int FileBusy = 1002;
}  // namespace errc

// The standard text of an error number ("ファイルが見つかりません。" for 53).
QString runtimeErrorText(int number);

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, QString file, QString detail = {});

  int number() const { return number_; }
  // The standard text of the number, followed by the detail when there is one.
  QString text() const;
  QString file() const { return file_; }
  QString detail() const { return detail_; }

 private:
  int number_;
  QString file_;
  QString detail_;
};

// Ends the program at once, once the user has been told why: thrown from
// wherever the decision is made, it unwinds the running handler; the
// application object then closes every window and ends the run.
class ProgramEndRequest : public std::exception {
 public:
  explicit ProgramEndRequest(int exitCode) : exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }
  const char *what() const noexcept override { return "program end requested"; }

 private:
  int exitCode_;
};

}  // namespace minatori
