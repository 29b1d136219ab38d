// A stand-in for the program menu of a Windows installation: writes its
// argument count and its arguments, one a line in UTF-8, to its own path
// plus ".args" (through a temporary file, so a reader never sees a part),
// as the stand-in script of the Debian road does.

#include <windows.h>

#include <string>
#include <vector>

namespace {
std::string utf8(const wchar_t *text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 1;
  std::string text = std::to_string(argc - 1) + "\n";
  for (int i = 1; i < argc; ++i) text += utf8(argv[i]) + "\n";
  LocalFree(argv);

  std::vector<wchar_t> self(32768);
  const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (n == 0 || n >= self.size()) return 1;
  const std::wstring done = std::wstring(self.data(), n) + L".args";
  const std::wstring temporary = done + L".tmp";
  const HANDLE f = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
  if (!ok || written != text.size()) return 1;
  return MoveFileExW(temporary.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
