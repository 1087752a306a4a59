// The Program Manager command expansion and the group name.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "install/group_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096 || size < 1) return 0;
  // First byte: the output size; the rest: the command (up to its NUL).
  size_t outSize = 1 + data[0];
  std::string command(reinterpret_cast<const char*>(data + 1), size - 1);
  command = command.c_str();
  char* out = new char[outSize];
  bool fits = ExpandGroupCommand(out, outSize, command.c_str(), "C:\\WINDOWS", 3, "V92EDemo");
  if (strnlen(out, outSize) >= outSize) __builtin_trap();
  if (!fits && out[0] != '\0') __builtin_trap();
  if (fits && strchr(out, '#') != nullptr) __builtin_trap();  // every marker expanded
  delete[] out;

  char name[260];
  if (GroupNameOf(command.c_str(), name, sizeof name)) {
    if (strnlen(name, sizeof name) >= sizeof name) __builtin_trap();
    if (!IsGroupCreation(command.c_str())) __builtin_trap();
  }
  IsPlainFileName(command.c_str());
  return 0;
}
