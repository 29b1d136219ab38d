// One QWidget and nothing else: what showing a first window costs any Qt
// Widgets program of this Qt, the yardstick of startup_bench.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare window"));
  window.resize(1024, 768);
  window.show();
  return app.exec();
}
