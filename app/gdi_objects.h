#pragma once
// GDI objects that give themselves back: a pen, brush or region is deleted when its owner goes
// out of scope, and a selection puts the device context's previous object back first.
//
// Declare the objects before their selections: destruction runs in reverse, so every selection
// is undone before the object it selected is deleted, as GDI requires.
//
//   PaintSession paint(window);
//   GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(6, 46, 148)));
//   GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(6, 46, 148)));
//   Selection usePen(paint.dc(), pen.get());
//   Selection useBrush(paint.dc(), brush.get());
//   Rectangle(paint.dc(), 35, 132, 53, 148);
//   // leaving: brush selected back, pen selected back, brush deleted, pen deleted, EndPaint

#include <windows.h>

namespace flindor::win32 {

template <class Handle>
class GdiObject {
 public:
  explicit GdiObject(Handle handle) : handle_(handle) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() {
    if (handle_ != nullptr) DeleteObject(handle_);
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Handle handle_;
};

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Region = GdiObject<HRGN>;

inline Pen solidPen(COLORREF color) { return Pen(CreatePen(PS_SOLID, 1, color)); }
inline Brush solidBrush(COLORREF color) { return Brush(CreateSolidBrush(color)); }

// Selects an object into a device context and selects the previous one back when it ends, or
// earlier with restore().
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() { restore(); }

  void restore() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    previous_ = nullptr;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint on construction, EndPaint on destruction.
class PaintSession {
 public:
  explicit PaintSession(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  ~PaintSession() { EndPaint(window_, &paint_); }

  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace flindor::win32
