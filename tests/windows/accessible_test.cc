// The menu's MSAA client object in process, with no window: what a client
// holding it meets when it asks wrongly, presses, or holds it past the
// window. What it reads out of process is in
// tests/e2e/wine_screen_reader_test.cc.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>

#include "host/win32/accessible.h"
#include "host/win32/msaa_server.h"

namespace zol::win32 {
namespace {

AccessibleMenu two_buttons() {
  return AccessibleMenu({"Orvenna", "Das Menü", "de"}, {{"Eins", "Die erste", {10, 20, 30, 40}},
                                                        {"Zwei", "Die zweite", {50, 20, 30, 40}}});
}

VARIANT id(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// Every call that takes a child id, asked about `child`.
struct Call {
  const char* name;
  std::function<HRESULT(IAccessible&, VARIANT)> ask;
};
// A text's call, its text freed.
template <HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)>
HRESULT text_of(IAccessible& a, VARIANT c) {
  BSTR text = nullptr;
  const HRESULT result = (a.*get)(c, &text);
  SysFreeString(text);
  return result;
}

const Call kCalls[] = {
    {"name", text_of<&IAccessible::get_accName>},
    {"description", text_of<&IAccessible::get_accDescription>},
    {"action", text_of<&IAccessible::get_accDefaultAction>},
    {"role", [](IAccessible& a, VARIANT c) { VARIANT v; return a.get_accRole(c, &v); }},
    {"state", [](IAccessible& a, VARIANT c) { VARIANT v; return a.get_accState(c, &v); }},
    {"location",
     [](IAccessible& a, VARIANT c) {
       long x, y, w, h;
       return a.accLocation(&x, &y, &w, &h, c);
     }},
    {"navigate",
     [](IAccessible& a, VARIANT c) {
       VARIANT v;
       return a.accNavigate(NAVDIR_RIGHT, c, &v);
     }},
    {"do", [](IAccessible& a, VARIANT c) { return a.accDoDefaultAction(c); }},
    {"child", [](IAccessible& a, VARIANT c) { IDispatch* d = nullptr; return a.get_accChild(c, &d); }},
};

class MenuAccessibleTest : public ::testing::Test {
 protected:
  MenuAccessibleTest() : object_(new MenuAccessible(menu_, nullptr, {SysAllocString, nullptr})) {}
  ~MenuAccessibleTest() override { object_->Release(); }

  AccessibleMenu menu_ = two_buttons();
  MenuAccessible* object_;
};

TEST_F(MenuAccessibleTest, ChildIdsNoElementHasAreInvalidArguments) {
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"1");
  VARIANT small;
  VariantInit(&small);
  small.vt = VT_I2;
  small.iVal = 1;
  VARIANT empty;
  VariantInit(&empty);
  const struct {
    const char* name;
    VARIANT child;
  } ids[] = {{"3", id(3)}, {"-1", id(-1)}, {"LONG_MIN", id(LONG_MIN)}, {"LONG_MAX", id(LONG_MAX)},
             {"bstr", text}, {"i2", small}, {"empty", empty}};
  for (const auto& c : ids)
    for (const Call& call : kCalls)
      EXPECT_EQ(call.ask(*object_, c.child), E_INVALIDARG) << call.name << " of " << c.name;
  EXPECT_EQ(menu_.take_press(), std::nullopt);
  VariantClear(&text);
}

TEST_F(MenuAccessibleTest, ADefaultActionIsAPressTheMenuMakesAfterTheCallReturns) {
  EXPECT_EQ(object_->accDoDefaultAction(id(2)), S_OK);
  EXPECT_EQ(menu_.take_press(), std::optional<size_t>(1));
  // The client itself has no action.
  EXPECT_EQ(object_->accDoDefaultAction(id(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(menu_.take_press(), std::nullopt);
}

TEST_F(MenuAccessibleTest, TheFocusAndTheFocusedStateFollowTheLitEntry) {
  auto focused = [&](long child) {
    VARIANT state;
    EXPECT_EQ(object_->get_accState(id(child), &state), S_OK);
    return (state.lVal & STATE_SYSTEM_FOCUSED) != 0;
  };
  VARIANT focus;
  EXPECT_EQ(object_->get_accFocus(&focus), S_FALSE);  // no window, none lit
  EXPECT_EQ(focus.vt, VT_EMPTY);
  menu_.set_current(1);
  ASSERT_EQ(object_->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, 2);
  EXPECT_FALSE(focused(1));
  EXPECT_TRUE(focused(2));
  menu_.set_current(std::nullopt);
  EXPECT_FALSE(focused(2));
}

TEST_F(MenuAccessibleTest, AnswersForIUnknownIDispatchAndIAccessibleOnly) {
  for (const IID& iid : {__uuidof(IUnknown), __uuidof(IDispatch), __uuidof(IAccessible)}) {
    void* out = nullptr;
    ASSERT_EQ(object_->QueryInterface(iid, &out), S_OK);
    EXPECT_EQ(out, static_cast<IAccessible*>(object_));
    static_cast<IUnknown*>(out)->Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(object_->QueryInterface(__uuidof(IStream), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object_->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
}

// A client may keep its reference after the window went and the menu with
// it: the object stays, and no longer reads the menu.
TEST(MenuAccessibleHeldTest, OnceDisconnectedEveryCallSaysSoAndTheLastReleaseFreesIt) {
  auto menu = std::make_unique<AccessibleMenu>(two_buttons());
  auto* object = new MenuAccessible(*menu, nullptr, {SysAllocString, nullptr});
  object->AddRef();  // the client's
  object->disconnect();
  object->Release();  // the server's
  menu.reset();
  for (long child : {0L, 1L, 5L})
    for (const Call& call : kCalls)
      EXPECT_EQ(call.ask(*object, id(child)), CO_E_OBJNOTCONNECTED) << call.name << " of " << child;
  long count = 0;
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  VARIANT v;
  EXPECT_EQ(object->get_accFocus(&v), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(object->accHitTest(0, 0, &v), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(object->Release(), 0u);
}

// Only the client object is the menu's to give; the window's own and any
// other id are the system's, as are asks before the menu is described.
TEST(MsaaServerTest, LeavesEveryObjectButTheClientToTheSystem) {
  AccessibleMenu menu = two_buttons();
  MsaaServer server;
  EXPECT_EQ(server.get_object(0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT))),
            std::nullopt);  // nothing described yet
  server.serve(menu);
  server.attach(reinterpret_cast<HWND>(1));
  for (LONG other : {OBJID_WINDOW, OBJID_CARET, OBJID_NATIVEOM, OBJID_VSCROLL, LONG{-25}, LONG{1}})
    EXPECT_EQ(server.get_object(0, static_cast<LPARAM>(static_cast<DWORD>(other))), std::nullopt)
        << other;
  server.attach(nullptr);
}

}  // namespace
}  // namespace zol::win32
