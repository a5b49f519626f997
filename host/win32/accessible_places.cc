// The client object's places, focus, neighbours and default action.

#include "host/win32/accessible.h"

namespace zol::win32 {
namespace {

HRESULT set_child(VARIANT* out, std::optional<long> id) {
  if (!id) {
    set_empty(out);
    return S_FALSE;
  }
  out->vt = VT_I4;
  out->lVal = *id;
  return S_OK;
}

}  // namespace

std::optional<RECT> MenuAccessible::screen_rect(long id) const {
  RECT client{};
  if (!window_ || !GetClientRect(window_, &client)) return std::nullopt;
  if (id != CHILDID_SELF) {
    const DeviceRect r = menu_->entries()[id - 1].rect;
    client = {r.x, r.y, r.x + r.w, r.y + r.h};
  }
  POINT origin{0, 0};
  if (!ClientToScreen(window_, &origin)) return std::nullopt;
  OffsetRect(&client, origin.x, origin.y);
  return client;
}

HRESULT MenuAccessible::accLocation(long* left, long* top, long* width, long* height,
                                    VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  const std::optional<RECT> r = screen_rect(id);
  if (!r) return E_FAIL;
  *left = r->left;
  *top = r->top;
  *width = r->right - r->left;
  *height = r->bottom - r->top;
  return S_OK;
}

HRESULT MenuAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  set_empty(child);
  if (!menu_) return CO_E_OBJNOTCONNECTED;
  const POINT at{x, y};
  const std::optional<RECT> client = screen_rect(CHILDID_SELF);
  if (!client || !PtInRect(&*client, at)) return S_FALSE;
  const long count = static_cast<long>(menu_->entries().size());
  for (long id = 1; id <= count; ++id)
    if (const std::optional<RECT> r = screen_rect(id); r && PtInRect(&*r, at))
      return set_child(child, id);
  return set_child(child, CHILDID_SELF);
}

HRESULT MenuAccessible::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  set_empty(focus);
  if (!menu_) return CO_E_OBJNOTCONNECTED;
  if (const std::optional<long> current = current_id()) return set_child(focus, current);
  if (window_ && GetFocus() == window_) return set_child(focus, CHILDID_SELF);
  return S_FALSE;
}

// The buttons stand in one row: left and right (next and previous) move
// along it, first and last child are its ends. Nothing lies above or below
// them within this object.
HRESULT MenuAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  set_empty(end);
  long id = 0;
  if (const HRESULT checked = child_id(start, id); FAILED(checked)) return checked;
  const long count = static_cast<long>(menu_->entries().size());
  std::optional<long> to;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD:
      if (id == CHILDID_SELF && count > 0) to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
      break;
    case NAVDIR_LEFT:
    case NAVDIR_PREVIOUS:
      if (id > 1) to = id - 1;
      break;
    case NAVDIR_RIGHT:
    case NAVDIR_NEXT:
      if (id != CHILDID_SELF && id < count) to = id + 1;
      break;
    case NAVDIR_UP:
    case NAVDIR_DOWN:
      break;
    default:
      return E_INVALIDARG;
  }
  return set_child(end, to);
}

// The press is the pointer's click, made once the call has returned; the
// posted message wakes the loop that makes it.
HRESULT MenuAccessible::accDoDefaultAction(VARIANT child) {
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  menu_->press(static_cast<size_t>(id - 1));
  if (window_) PostMessageW(window_, WM_NULL, 0, 0);
  return S_OK;
}

}  // namespace zol::win32
