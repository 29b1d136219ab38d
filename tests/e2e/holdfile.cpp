// A stand-in for an anti-virus scanner, a backup or an indexing agent on a
// classroom PC: it opens a file for reading with no sharing, as those do, so
// that every other open, removal or rename of the file is refused with a
// sharing violation while it holds it.
//
//   holdfile [--hold MS | --until STOP | --spans MIN MAX --gaps MIN MAX --until STOP]
//            [--share-read-write] [--marker MARKER] FILE
//
//   --hold MS     hold FILE once, for MS milliseconds (the default: 1000);
//   --until STOP  hold it once, until the file STOP exists;
//   --spans       hold it again and again, each time for a random span of
//                 MIN..MAX ms, letting go for a random gap of MIN..MAX ms
//                 (--gaps, default 10..50) in between, until STOP exists;
//   --share-read-write
//                 share reading and writing but not deletion, as some
//                 scanners and indexers do: the file can be opened and
//                 written meanwhile, but not removed, renamed or replaced;
//   --marker      write the empty file MARKER once FILE is first held, so a
//                 test knows when the hold has begun.
//
// Like a scanner, it first waits until FILE exists and no handle is open on
// it (no sharing is granted to a handle while another is open), trying every
// millisecond; it gives up after a minute without a first hold. At the end
// it prints one line: "holds N, held MS ms, longest MS ms".
// Exit code 0; 1 when it never held the file; 2 for wrong arguments.
//
// Windows only: elsewhere an open is never refused for another's sharing.
// Linked statically, so it runs from any folder without the runtime DLLs.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

namespace {

bool exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// With no sharing, every other open of the file fails while this handle is open.
HANDLE tryHold(const std::wstring &path, DWORD sharing) {
  return CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void touch(const std::wstring &path) {
  const HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

bool number(const wchar_t *text, long &out) {
  wchar_t *end = nullptr;
  out = std::wcstol(text, &end, 10);
  return end != text && *end == 0 && out >= 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  long hold = 1000, spanMin = 0, spanMax = 0, gapMin = 10, gapMax = 50;
  std::wstring file, stop, marker;
  bool spans = false;
  DWORD sharing = 0;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    const bool more = i + 1 < argc, two = i + 2 < argc;
    if (a == L"--hold" && more && number(argv[i + 1], hold)) {
      i += 1;
    } else if (a == L"--until" && more) {
      stop = argv[++i];
    } else if (a == L"--share-read-write") {
      sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    } else if (a == L"--marker" && more) {
      marker = argv[++i];
    } else if (a == L"--spans" && two && number(argv[i + 1], spanMin) && number(argv[i + 2], spanMax)) {
      spans = true;
      i += 2;
    } else if (a == L"--gaps" && two && number(argv[i + 1], gapMin) && number(argv[i + 2], gapMax)) {
      i += 2;
    } else if (file.empty() && a.rfind(L"--", 0) != 0) {
      file = a;
    } else {
      std::fwprintf(stderr, L"holdfile: unexpected argument %ls\n", a.c_str());
      return 2;
    }
  }
  if (file.empty() || (spans && (stop.empty() || spanMin > spanMax || gapMin > gapMax))) {
    std::fwprintf(stderr, L"holdfile: usage: holdfile [--hold MS | --until STOP | --spans MIN MAX [--gaps MIN MAX] "
                          L"--until STOP] [--share-read-write] [--marker MARKER] FILE\n");
    return 2;
  }

  std::mt19937 random(GetTickCount() ^ GetCurrentProcessId());
  auto between = [&](long low, long high) { return std::uniform_int_distribution<long>(low, high)(random); };
  const ULONGLONG start = GetTickCount64();
  long holds = 0;
  ULONGLONG heldMs = 0, longestMs = 0;
  for (;;) {
    // Wait for the file and for every other handle on it to close.
    HANDLE h = INVALID_HANDLE_VALUE;
    for (;;) {
      h = tryHold(file, sharing);
      if (h != INVALID_HANDLE_VALUE) break;
      if (!stop.empty() && exists(stop)) break;
      if (holds == 0 && GetTickCount64() - start > 60000) break;
      Sleep(1);
    }
    if (h == INVALID_HANDLE_VALUE) break;
    const ULONGLONG heldFrom = GetTickCount64();
    if (holds++ == 0 && !marker.empty()) touch(marker);
    if (spans) {
      Sleep(static_cast<DWORD>(between(spanMin, spanMax)));
    } else if (!stop.empty()) {
      while (!exists(stop)) Sleep(2);
    } else {
      Sleep(static_cast<DWORD>(hold));
    }
    CloseHandle(h);
    const ULONGLONG held = GetTickCount64() - heldFrom;
    heldMs += held;
    if (held > longestMs) longestMs = held;
    if (!spans || exists(stop)) break;
    Sleep(static_cast<DWORD>(between(gapMin, gapMax)));
    if (exists(stop)) break;
  }
  std::printf("holds %ld, held %llu ms, longest %llu ms\n", holds, heldMs, longestMs);
  std::fflush(stdout);
  return holds > 0 ? 0 : 1;
}
