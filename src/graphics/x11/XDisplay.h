// The process-wide X state the window devices share: one display connection, the table of open
// windows (at most 10), the managed flag that keeps the main loop running and the registered
// listeners. Single-threaded like the rest of the library.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace KOL {

class Listener;
class XWindow;

class XDisplay {
 public:
  static constexpr int MAX_WINDOWS = 10;
  enum EventMask : int { ANY = 0, BUTTON = 4, EXPOSE = 12, IDLE = 999 };

  struct Entry {
    int type;  // 0 any event, 12 exposure, 4 button press
    Window window;
    Listener* listener;
    const void* client;
  };

  static XDisplay& get();

  // Opens the display on first use (installing the error handlers); null when unreachable.
  Display* open(const char* name);
  Display* display() const { return dpy; }
  // Closes the connection when no window is left.
  void release();

  int addWindow(Window w, XWindow* dev);
  void removeWindow(Window w);
  int numWindows() const;
  XWindow* firstWindow() const;
  XWindow* find(Window w) const;

  void addCallback(int type, Window w, Listener* l, const void* client);
  void removeCallbacks(Window w);
  // Calls the listeners of window w registered for any event or for type.
  void dispatch(Window w, int type, const char* event, const char* detail);

  bool managed = false;

  // Event type number of a name ("Expose" 12, "ButtonPress" 4, others 0).
  static int typeOf(const char* event);
  // The X name of an event type ("Unknown" for numbers beyond the table).
  static const char* eventName(int type);

 private:
  XDisplay() = default;
  Display* dpy = nullptr;
  struct Slot {
    Window window = 0;
    XWindow* dev = nullptr;
  };
  Slot slots[MAX_WINDOWS];
  std::vector<Entry> callbacks;
};

}  // namespace KOL
