#include "platform/runtimeerror.h"

namespace minatori {

QString runtimeErrorText(int number) {
  switch (number) {
    case errc::TypeMismatch: return QStringLiteral("型が一致しません。");
    case errc::BadFileName: return QStringLiteral("ファイル名または番号が不正です。");
    case errc::FileNotFound: return QStringLiteral("ファイルが見つかりません。");
    case errc::DeviceIo: return QStringLiteral("デバイス I/O エラーです。");
    case errc::FileAlreadyOpen: return QStringLiteral("ファイルは既に開かれています。");
    case errc::DiskFull: return QStringLiteral("ディスクの空き容量が不足しています。");
    case errc::InputPastEnd: return QStringLiteral("ファイルにこれ以上データがありません。");
    case errc::PermissionDenied: return QStringLiteral("書き込みできません。");
    case errc::PathFileAccess: return QStringLiteral("パス名が無効です。");
    case errc::PathNotFound: return QStringLiteral("パスが見つかりません。");
    case errc::BadTextEncoding: return QStringLiteral("文字コードが Shift-JIS ではありません。");
    case errc::FileBusy: return QStringLiteral("ほかのプログラムがファイルを使っています。");
    default: return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
  }
}

RuntimeError::RuntimeError(int number, QString file, QString detail)
    : std::runtime_error(QStringLiteral("error %1: %2 (%3)")
                             .arg(number)
                             .arg(runtimeErrorText(number), file)
                             .toStdString()),
      number_(number),
      file_(std::move(file)),
      detail_(std::move(detail)) {}

QString RuntimeError::text() const {
  QString t = runtimeErrorText(number_);
  if (!detail_.isEmpty()) t += QLatin1Char(' ') + detail_;
  return t;
}

}  // namespace minatori
