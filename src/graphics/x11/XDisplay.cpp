#include "graphics/x11/XDisplay.h"

#include <cstdio>
#include <cstring>

#include "graphics/Listener.h"

namespace KOL {

namespace {

int onError(Display* d, XErrorEvent* e)
{
  char text[256], request[64];
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::snprintf(request, sizeof request, "%d", e->request_code);
  char name[256];
  XGetErrorDatabaseText(d, "XRequest", request, request, name, sizeof name);
  std::fprintf(stderr, "X11 error: %s in %s\n", text, name);
  return 0;
}

int onIOError(Display*)
{
  std::fprintf(stderr, "X11 Disconnected\n");
  return 0;
}

constexpr const char* EVENT_NAMES[] = {
    "Unknown",          "Unknown",         "KeyPress",         "KeyRelease",       "ButtonPress",
    "ButtonRelease",    "MotionNotify",    "EnterNotify",      "LeaveNotify",      "FocusIn",
    "FocusOut",         "KeymapNotify",    "Expose",           "GraphicsExpose",   "NoExpose",
    "VisibilityNotify", "CreateNotify",    "DestroyNotify",    "UnmapNotify",      "MapNotify",
    "MapRequest",       "ReparentNotify",  "ConfigureNotify",  "ConfigureRequest", "GravityNotify",
    "ResizeRequest",    "CirculateNotify", "CirculateRequest", "PropertyNotify",   "SelectionClear",
    "SelectionRequest", "SelectionNotify", "ColormapNotify",   "ClientMessage",    "MappingNotify",
    "GenericEvent"};

}  // namespace

XDisplay& XDisplay::get()
{
  static XDisplay instance;  // the one connection of the process
  return instance;
}

Display* XDisplay::open(const char* name)
{
  if (dpy) return dpy;
  XSetErrorHandler(onError);
  XSetIOErrorHandler(onIOError);
  dpy = XOpenDisplay(name && *name ? name : nullptr);
  for (Slot& s : slots) s = Slot{};
  return dpy;
}

void XDisplay::release()
{
  if (dpy && numWindows() == 0) {
    XCloseDisplay(dpy);
    dpy = nullptr;
    managed = false;
  }
}

int XDisplay::addWindow(Window w, XWindow* dev)
{
  for (int i = 0; i < MAX_WINDOWS; ++i)
    if (!slots[i].dev) {
      slots[i] = Slot{w, dev};
      return i;
    }
  return -1;
}

void XDisplay::removeWindow(Window w)
{
  for (Slot& s : slots)
    if (s.window == w) s = Slot{};
  removeCallbacks(w);
}

int XDisplay::numWindows() const
{
  int n = 0;
  for (const Slot& s : slots) n += s.dev != nullptr;
  return n;
}

XWindow* XDisplay::firstWindow() const
{
  for (const Slot& s : slots)
    if (s.dev) return s.dev;
  return nullptr;
}

XWindow* XDisplay::find(Window w) const
{
  for (const Slot& s : slots)
    if (s.dev && s.window == w) return s.dev;
  return nullptr;
}

void XDisplay::addCallback(int type, Window w, Listener* l, const void* client)
{
  callbacks.push_back(Entry{type, w, l, client});
}

void XDisplay::removeCallbacks(Window w)
{
  std::vector<Entry> keep;
  for (const Entry& e : callbacks)
    if (e.window != w) keep.push_back(e);
  callbacks.swap(keep);
}

void XDisplay::dispatch(Window w, int type, const char* event, const char* detail)
{
  // a listener may register or close while being called: walk a copy
  const std::vector<Entry> now = callbacks;
  for (const Entry& e : now)
    if (e.window == w && (e.type == ANY || e.type == type))
      e.listener->callback(event, detail, e.client);
}

int XDisplay::typeOf(const char* event)
{
  if (!event) return ANY;
  if (std::strcmp(event, "Expose") == 0) return EXPOSE;
  if (std::strcmp(event, "ButtonPress") == 0) return BUTTON;
  return ANY;
}

const char* XDisplay::eventName(int type)
{
  const int n = static_cast<int>(sizeof EVENT_NAMES / sizeof EVENT_NAMES[0]);
  return type >= 0 && type < n ? EVENT_NAMES[type] : "Unknown";
}

}  // namespace KOL
