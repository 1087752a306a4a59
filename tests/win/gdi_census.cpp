#include "tests/win/gdi_census.h"

#include <algorithm>

namespace {

GdiCount* Current = nullptr;

struct Routine {
  const char* dll;
  const char* name;
  void* wrapper;
  FARPROC real;
};

HFONT WINAPI CountCreateFontIndirectA(const LOGFONTA* font);
HDC WINAPI CountCreateCompatibleDC(HDC dc);
HBITMAP WINAPI CountLoadBitmapA(HINSTANCE instance, LPCSTR name);
BOOL WINAPI CountDeleteObject(HGDIOBJ object);
BOOL WINAPI CountDeleteDC(HDC dc);
HDC WINAPI CountGetDC(HWND window);
int WINAPI CountReleaseDC(HWND window, HDC dc);
HDC WINAPI CountBeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI CountEndPaint(HWND window, const PAINTSTRUCT* paint);

Routine Routines[] = {
  {"gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(CountCreateFontIndirectA), nullptr},
  {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void*>(CountCreateCompatibleDC), nullptr},
  {"user32.dll", "LoadBitmapA", reinterpret_cast<void*>(CountLoadBitmapA), nullptr},
  {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(CountDeleteObject), nullptr},
  {"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(CountDeleteDC), nullptr},
  {"user32.dll", "GetDC", reinterpret_cast<void*>(CountGetDC), nullptr},
  {"user32.dll", "ReleaseDC", reinterpret_cast<void*>(CountReleaseDC), nullptr},
  {"user32.dll", "BeginPaint", reinterpret_cast<void*>(CountBeginPaint), nullptr},
  {"user32.dll", "EndPaint", reinterpret_cast<void*>(CountEndPaint), nullptr},
};

template <typename F> F Real(int index) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(Routines[index].real));
}

void Made(GdiKind kind, HANDLE handle) {
  if (Current != nullptr && handle != nullptr) Current->made.push_back({kind, handle});
}

void Deleted(HANDLE handle) {
  if (Current != nullptr && handle != nullptr) Current->deleted.push_back(handle);
}

HFONT WINAPI CountCreateFontIndirectA(const LOGFONTA* font) {
  HFONT made = Real<HFONT(WINAPI*)(const LOGFONTA*)>(0)(font);
  Made(GdiKind::Font, made);
  return made;
}

HDC WINAPI CountCreateCompatibleDC(HDC dc) {
  HDC made = Real<HDC(WINAPI*)(HDC)>(1)(dc);
  Made(GdiKind::MemoryDc, made);
  return made;
}

HBITMAP WINAPI CountLoadBitmapA(HINSTANCE instance, LPCSTR name) {
  HBITMAP made = Real<HBITMAP(WINAPI*)(HINSTANCE, LPCSTR)>(2)(instance, name);
  Made(GdiKind::Bitmap, made);
  return made;
}

BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
  BOOL done = Real<BOOL(WINAPI*)(HGDIOBJ)>(3)(object);
  if (done) Deleted(object);
  return done;
}

BOOL WINAPI CountDeleteDC(HDC dc) {
  BOOL done = Real<BOOL(WINAPI*)(HDC)>(4)(dc);
  if (done) Deleted(dc);
  return done;
}

HDC WINAPI CountGetDC(HWND window) {
  HDC dc = Real<HDC(WINAPI*)(HWND)>(5)(window);
  if (Current != nullptr && dc != nullptr) ++Current->windowDcs;
  return dc;
}

int WINAPI CountReleaseDC(HWND window, HDC dc) {
  int done = Real<int(WINAPI*)(HWND, HDC)>(6)(window, dc);
  if (Current != nullptr && done) --Current->windowDcs;
  return done;
}

HDC WINAPI CountBeginPaint(HWND window, LPPAINTSTRUCT paint) {
  HDC dc = Real<HDC(WINAPI*)(HWND, LPPAINTSTRUCT)>(7)(window, paint);
  if (Current != nullptr && dc != nullptr) ++Current->paints;
  return dc;
}

BOOL WINAPI CountEndPaint(HWND window, const PAINTSTRUCT* paint) {
  BOOL done = Real<BOOL(WINAPI*)(HWND, const PAINTSTRUCT*)>(8)(window, paint);
  if (Current != nullptr) --Current->paints;
  return done;
}

// Points every import slot of this program that holds `from` at `to`.
int Redirect(void* from, void* to) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return 0;
  int count = 0;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name != 0; ++imp) {
    for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk); slot->u1.Function != 0; ++slot) {
      if (reinterpret_cast<void*>(slot->u1.Function) != from) continue;
      DWORD old;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(to);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
      ++count;
    }
  }
  return count;
}

GdiCount Census;

}  // namespace

int GdiCount::Made(GdiKind kind) const {
  return static_cast<int>(std::count_if(made.begin(), made.end(), [kind](const GdiMade& m) { return m.kind == kind; }));
}

std::vector<HANDLE> GdiCount::Kept(GdiKind kind) const {
  // A handle value can come back after its deletion: compare how often each
  // one was made and deleted.
  std::vector<HANDLE> kept;
  for (const GdiMade& m : made) {
    if (m.kind != kind || std::find(kept.begin(), kept.end(), m.handle) != kept.end()) continue;
    auto times = std::count_if(made.begin(), made.end(), [&m](const GdiMade& o) { return o.handle == m.handle; });
    if (times > std::count(deleted.begin(), deleted.end(), m.handle)) kept.push_back(m.handle);
  }
  return kept;
}

GdiCensus::GdiCensus() {
  Census = GdiCount();
  for (Routine& r : Routines) {
    r.real = GetProcAddress(GetModuleHandleA(r.dll), r.name);
    if (r.real != nullptr) Census.patched += Redirect(reinterpret_cast<void*>(r.real), r.wrapper);
  }
  Current = &Census;
}

GdiCensus::~GdiCensus() {
  Current = nullptr;
  for (Routine& r : Routines) {
    if (r.real != nullptr) Redirect(r.wrapper, reinterpret_cast<void*>(r.real));
  }
}

const GdiCount& GdiCensus::count() const {
  return Census;
}
