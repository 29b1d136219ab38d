#pragma once
// Base of every window of the program. A window is created by the registry
// when it is first shown, runs its load steps once, its activation steps each
// time it is shown, and is destroyed by the registry some time after it
// closes (see WindowRegistry::forget).
//
// Two kinds of close: a hand-over (the program's own close(), when the next
// screen takes over) never ends the program; a close that comes from the
// window system (the title bar's close button, Alt+F4) is a person closing
// the window, and closedByPerson() says what that means. By default the
// program ends normally, so it never runs on without a window.

#include <QWidget>

class QPushButton;

namespace minatori {

class Application;
struct ProgramState;

class Window : public QWidget {
  Q_OBJECT
 public:
  // What a person closing the window with its close button does.
  enum class PersonClose {
    EndProgram,  // the window closes and the program ends normally (exit code 0)
    Close,       // the window closes; the program goes on with the others
    Stay,        // nothing: the window stays open
  };

  explicit Window(Application &app);

  // Runs once, right after creation and before the window is first shown.
  virtual void load() {}
  // Runs every time the window is shown through the registry.
  virtual void activate() {}

 Q_SIGNALS:
  // The window's close was accepted; it is no longer among the open windows.
  void closed();

 protected:
  Application &app() const { return app_; }
  ProgramState &state() const;
  void closeEvent(QCloseEvent *event) override;
  // Runs inside the close: a close() of this same window does nothing here,
  // so a window that hands over returns Close instead.
  virtual PersonClose closedByPerson() { return PersonClose::EndProgram; }
  // Centres the window on the screen it is on.
  void centreOnScreen();
  // Whether `event`, seen by an event filter, is a person's key or click
  // aimed at this window or a control on it (not at a box it opened): what a
  // screen that is busy or on its way out must not take.
  bool isPersonInputHere(const QObject *watched, const QEvent &event) const;

 private:
  Application &app_;
};

// Makes the type of `button` smaller, half a point at a time, until its
// caption fits inside the button as this system's font engine measures it.
// The engines differ: a caption that fits with FreeType's metrics may not
// with Windows' (whole pixels per glyph), and a button keeps its design size.
void fitCaption(QPushButton *button);

}  // namespace minatori
