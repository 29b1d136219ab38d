#pragma once
// main() of a window test: the program's own Qt application object (so an
// error escaping a handler is reported as in the program) with the program's
// fonts, then the test class.

#include <QTest>

#include "app/ui/guardedapplication.h"

#define MINATORI_WINDOW_TEST_MAIN(TestClass)             \
  int main(int argc, char **argv) {                      \
    minatori::GuardedApplication app(argc, argv);        \
    app.setAttribute(Qt::AA_Use96Dpi, true);             \
    minatori::applyProgramFonts(app);                    \
    TestClass test;                                      \
    return QTest::qExec(&test, argc, argv);              \
  }
