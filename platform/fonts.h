#pragma once
// The program's two typefaces, chosen here and nowhere else: a gothic (sans)
// for the screens and lists and a mincho (serif) for names and titles. Both
// are fixed-pitch for the characters the lists align (a full-width
// character is two half-widths). One source per system: fonts_posix.cpp
// (the IPA fonts of Debian) and fonts_windows.cpp ("ＭＳ ゴシック" and
// "ＭＳ 明朝", which every Japanese Windows has, else the IPA fonts).
// Call once the application object exists: the choice asks its font list.

#include <QString>

namespace minatori {

QString gothicFamily();
QString minchoFamily();

}  // namespace minatori
