// The probe file scan on any body.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "web/transfer_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* body = new char[size ? size : 1];
  memcpy(body, data, size);
  int32_t cancel = 0;
  bool usable = ProbeMarkersPresent(body, size, &cancel);
  // Both markers must be in the body for a true answer.
  if (usable && (memmem(body, size, ProbeFirstMarker, strlen(ProbeFirstMarker)) == nullptr ||
                 memmem(body, size, ProbeSecondMarker, strlen(ProbeSecondMarker)) == nullptr))
    __builtin_trap();
  cancel = 1;
  if (size > 0 && ProbeMarkersPresent(body, size, &cancel)) __builtin_trap();
  // The filter keeps half of any chunk.
  if (DeinterleaveChunk(body, size, 0) != size / 2) __builtin_trap();
  delete[] body;
  return 0;
}
