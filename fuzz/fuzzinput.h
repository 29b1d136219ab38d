#pragma once
// What every harness shares: the fuzz bytes decoded as the program decodes a
// file, and the one failure a reader may report for bad input.
//
// A harness returns normally for good input and for RuntimeError; anything
// else escaping, a failed check (abort), a crash or a sanitizer report is a
// finding.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/runtimeerror.h"
#include "platform/textfile.h"

namespace minatori::fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size) {
  return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The input as text, or nothing when it is not code page 932 (the program
// stops there with BadTextEncoding, so the readers never see such text).
inline std::optional<QString> decodedInput(const uint8_t *data, size_t size, const QString &file) {
  try {
    return decodeCp932(bytesOf(data, size), file);
  } catch (const RuntimeError &) {
    return std::nullopt;
  }
}

// A broken invariant: reported like a crash so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char *what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void check(bool ok, const char *what) {
  if (!ok) fail(what);
}

// Runs a reader; RuntimeError is the expected answer to bad input.
template <typename F>
void expectingRuntimeError(F &&reader) {
  try {
    reader();
  } catch (const RuntimeError &) {
  }
}

}  // namespace minatori::fuzz
