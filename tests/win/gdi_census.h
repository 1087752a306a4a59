// Counts the GDI objects and device contexts this test program's own code
// makes and lets go of, while a census is open. Wine's GetGuiResources
// answers 0, so the calls themselves are counted instead: the program's
// import slots of the making and releasing routines are pointed at counting
// wrappers for the time of the census.
#ifndef ZELTA_TESTS_WIN_GDI_CENSUS_H
#define ZELTA_TESTS_WIN_GDI_CENSUS_H

#include <windows.h>

#include <vector>

enum class GdiKind { Font, MemoryDc, Bitmap };

struct GdiMade {
  GdiKind kind;
  HANDLE handle;
};

struct GdiCount {
  std::vector<GdiMade> made;       // fonts, memory DCs, bitmaps from resources
  std::vector<HANDLE> deleted;     // DeleteObject and DeleteDC, in order
  int windowDcs = 0;               // GetDC minus ReleaseDC
  int paints = 0;                  // BeginPaint minus EndPaint
  int patched = 0;                 // import slots redirected (0: nothing counted)

  int Made(GdiKind kind) const;
  // Made objects of the kind that were never deleted.
  std::vector<HANDLE> Kept(GdiKind kind) const;
};

// Open from construction to destruction; one at a time, on one thread.
class GdiCensus {
 public:
  GdiCensus();
  ~GdiCensus();
  GdiCensus(const GdiCensus&) = delete;
  GdiCensus& operator=(const GdiCensus&) = delete;

  const GdiCount& count() const;
};

#endif
