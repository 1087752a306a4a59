# The picture generator (zelta-art): the sources both builds compile, the
# files it writes, and its tests.
set(ZELTA_ART_TOOL_SOURCES
  tools/art/avi.cpp
  tools/art/bitmap_files.cpp
  tools/art/canvas.cpp
  tools/art/clips.cpp
  tools/art/globe.cpp
  tools/art/palette.cpp
  tools/art/pictures.cpp
  tools/art/rle8.cpp
)
set(ZELTA_ART_TOOL_HEADERS
  tools/art/avi.h
  tools/art/bitmap_files.h
  tools/art/canvas.h
  tools/art/globe.h
  tools/art/palette.h
  tools/art/pictures.h
  tools/art/rle8.h
)
set(ZELTA_ART_TOOL_MAIN tools/art/main.cpp)

# Written by `zelta-art write DIR`; art.rc names the others for the
# resource compiler.
set(ZELTA_ART_FILE_NAMES
  ZeltaWin.bmp ZeltaBas.bmp ZeltaEarth.ico ZeltaWin.ico
  clip1001.avi clip1002.avi clip1003.avi art.rc)

set(ZELTA_ART_TESTS
  tests/art/rle8_test.cpp
  tests/art/avi_test.cpp
  tests/art/bitmap_files_test.cpp
  tests/art/pictures_test.cpp
)
