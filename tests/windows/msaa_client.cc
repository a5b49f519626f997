// A small MSAA client, as a screen reader is one: it finds the menu's
// window (class ZolForm, caption Orvenna), reads it through oleacc out of
// process, and prints what it found, one line a fact, for the native tests
// (tests/e2e/wine_screen_reader_test.cc) to compare.
//   read        which oleacc the menu has loaded before and after the ask,
//               its parent, then every child's name, role, state, location,
//               description and default action, the focus, navigation,
//               hit tests and the answers to invalid child ids
//   events S    "ready", then each focus event from the menu's process, in
//               order, for S seconds or until its window goes, with the
//               name of the element it names
//   act ID      accDoDefaultAction(ID) and its answer
//   held        holds the object until the window goes, then asks again

#define UNICODE
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
  if (!text) return "(null)";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

void say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
  return text;
}

VARIANT i4(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// "empty", an id, or "vt=N"; after a failure, the HRESULT.
std::string child_text(HRESULT hr, const VARIANT& v) {
  if (FAILED(hr)) return "hr=" + hex(hr);
  if (v.vt == VT_EMPTY) return "empty";
  if (v.vt == VT_I4) return std::to_string(v.lVal);
  return "vt=" + std::to_string(v.vt);
}

std::string bstr_text(HRESULT hr, BSTR text) {
  std::string out = hr == S_OK ? utf8(text) : "hr=" + hex(hr);
  SysFreeString(text);
  return out;
}

HWND menu_window() { return FindWindowW(L"ZolForm", L"Orvenna"); }

// The path of the oleacc.dll loaded in the menu's process, or "none".
std::string menu_oleacc(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return "unknown";
  std::string found = "none";
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
    if (lstrcmpiW(module.szModule, L"oleacc.dll") == 0) found = utf8(module.szExePath);
  CloseHandle(snapshot);
  return found;
}

IAccessible* client_object(HWND window) {
  IAccessible* object = nullptr;
  const HRESULT hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                __uuidof(IAccessible), reinterpret_cast<void**>(&object));
  say("object hr=" + hex(hr));
  return SUCCEEDED(hr) ? object : nullptr;
}

void read_child(IAccessible* object, long id) {
  const VARIANT child = i4(id);
  BSTR text = nullptr;
  std::string line = "child " + std::to_string(id);
  HRESULT hr = object->get_accName(child, &text);
  line += " name=" + bstr_text(hr, text);
  VARIANT v;
  VariantInit(&v);
  hr = object->get_accRole(child, &v);
  line += " role=" + child_text(hr, v);
  hr = object->get_accState(child, &v);
  line += " state=" + (SUCCEEDED(hr) && v.vt == VT_I4 ? hex(v.lVal) : child_text(hr, v));
  long x = 0, y = 0, w = 0, h = 0;
  hr = object->accLocation(&x, &y, &w, &h, child);
  line += " location=" + (SUCCEEDED(hr) ? std::to_string(x) + "," + std::to_string(y) + "," +
                                              std::to_string(w) + "," + std::to_string(h)
                                        : "hr=" + hex(hr));
  text = nullptr;
  hr = object->get_accDefaultAction(child, &text);
  line += " action=" + bstr_text(hr, text);
  text = nullptr;
  hr = object->get_accDescription(child, &text);
  line += " description=" + bstr_text(hr, text);
  say(line);
  // Where the screen reader's pointer would land: the element's centre.
  if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, child))) {
    VariantInit(&v);
    hr = object->accHitTest(x + w / 2, y + h / 2, &v);
    say("hit " + std::to_string(id) + " = " + child_text(hr, v));
  }
}

void read(HWND window) {
  say("before oleacc=" + menu_oleacc(window));
  IAccessible* object = client_object(window);
  say("after oleacc=" + menu_oleacc(window));
  if (!object) return;
  // The window's own object, which the system gives; wine's answers
  // little but that it is one.
  IDispatch* parent = nullptr;
  IAccessible* window_object = nullptr;
  const HRESULT parent_hr = object->get_accParent(&parent);
  const bool accessible =
      parent && SUCCEEDED(parent->QueryInterface(__uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&window_object)));
  say("parent hr=" + hex(parent_hr) + (accessible ? " accessible" : " none"));
  if (window_object) window_object->Release();
  if (parent) parent->Release();
  long count = -1;
  const HRESULT counted = object->get_accChildCount(&count);
  say("count hr=" + hex(counted) + " count=" + std::to_string(count));
  for (long id = 0; id <= count; ++id) read_child(object, id);
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = object->get_accFocus(&v);
  say("focus = " + child_text(hr, v));
  VariantInit(&v);
  hr = object->accHitTest(-10000, -10000, &v);
  say("hit outside = " + child_text(hr, v));
  const struct { long start, direction; const char* name; } moves[] = {
      {0, NAVDIR_FIRSTCHILD, "first"}, {0, NAVDIR_LASTCHILD, "last"}, {1, NAVDIR_RIGHT, "right"},
      {4, NAVDIR_RIGHT, "right"},      {2, NAVDIR_LEFT, "left"},      {1, NAVDIR_LEFT, "left"},
      {3, NAVDIR_NEXT, "next"},        {3, NAVDIR_UP, "up"},          {2, 99, "99"}};
  for (const auto& m : moves) {
    VariantInit(&v);
    hr = object->accNavigate(m.direction, i4(m.start), &v);
    say("navigate " + std::to_string(m.start) + " " + m.name + " = " + child_text(hr, v));
  }
  // Ids no element has, and variants of another type.
  VARIANT text_id;
  VariantInit(&text_id);
  text_id.vt = VT_BSTR;
  text_id.bstrVal = SysAllocString(L"1");
  VARIANT short_id;
  VariantInit(&short_id);
  short_id.vt = VT_I2;
  short_id.iVal = 1;
  const struct { const char* name; VARIANT id; } invalid[] = {
      {"5", i4(5)}, {"-1", i4(-1)}, {"bstr", text_id}, {"i2", short_id}};
  for (const auto& c : invalid) {
    BSTR text = nullptr;
    say(std::string("invalid ") + c.name + " name = " + hex(object->get_accName(c.id, &text)));
    SysFreeString(text);
    VariantInit(&v);
    say(std::string("invalid ") + c.name + " state = " + hex(object->get_accState(c.id, &v)));
    long x, y, w, h;
    say(std::string("invalid ") + c.name + " location = " +
        hex(object->accLocation(&x, &y, &w, &h, c.id)));
    say(std::string("invalid ") + c.name + " action = " + hex(object->accDoDefaultAction(c.id)));
  }
  VariantClear(&text_id);
  object->Release();
}

struct FocusEvent {
  HWND window;
  LONG object_id, child_id;
};
// Filled by the hook, emptied by the loop: the loop's calls to the menu
// let further events in while they wait, and those must keep their order.
std::deque<FocusEvent> focus_events;

void CALLBACK on_focus(HWINEVENTHOOK, DWORD, HWND window, LONG object_id, LONG child_id, DWORD,
                       DWORD) {
  focus_events.push_back({window, object_id, child_id});
}

// The element named as a screen reader names it on hearing the event.
void say_focus(const FocusEvent& e) {
  std::string line = "focus " + std::to_string(e.object_id) + " " + std::to_string(e.child_id);
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  const HRESULT hr = AccessibleObjectFromEvent(e.window, e.object_id, e.child_id, &object, &child);
  if (SUCCEEDED(hr)) {
    BSTR name = nullptr;
    const HRESULT named = object->get_accName(child, &name);
    line += ' ';
    line += bstr_text(named, name);
    object->Release();
  } else {
    line += " hr=" + hex(hr);
  }
  say(line);
}

void events(HWND window, double seconds) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, on_focus,
                                      pid, 0, WINEVENT_OUTOFCONTEXT);
  if (!hook) return say("no hook");
  say("ready");
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (GetTickCount64() < end && IsWindow(window)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    for (; !focus_events.empty(); focus_events.pop_front()) say_focus(focus_events.front());
  }
  UnhookWinEvent(hook);
}

void act(HWND window, long id) {
  IAccessible* object = client_object(window);
  if (!object) return;
  say("act " + std::to_string(id) + " = " + hex(object->accDoDefaultAction(i4(id))));
  // The menu ends now: a Release arriving while it exits races wine's
  // teardown of its call threads, which the held case covers on purpose.
  TerminateProcess(GetCurrentProcess(), 0);
}

void held(HWND window) {
  IAccessible* object = client_object(window);
  if (!object) return;
  say("held");
  while (IsWindow(window)) Sleep(50);
  BSTR name = nullptr;
  say("after name = " + bstr_text(object->get_accName(i4(0), &name), name));
  long count = 0;
  say("after count = " + hex(object->get_accChildCount(&count)));
  object->Release();
  say("released");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string command = argv[1];
  HWND window = nullptr;
  for (int tries = 0; !window && tries < 200; ++tries, Sleep(50)) window = menu_window();
  if (!window) {
    say("no window");
    return 1;
  }
  if (command == "read") read(window);
  else if (command == "events" && argc > 2) events(window, std::atof(argv[2]));
  else if (command == "act" && argc > 2) act(window, std::atol(argv[2]));
  else if (command == "held") held(window);
  else return 2;
  CoUninitialize();
  return 0;
}
