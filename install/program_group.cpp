#include "install/program_group.h"

#include <dde.h>

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "install/group_commands.h"
#include "install/installation_finish.h"

namespace {

const char ClientClassName[] = "ClientDDEWndClass";

// Reads commands until one fits the block once expanded. False at the end
// of the list: a missing key or a value beginning with "*".
bool ReadNextCommand(char* command, size_t size) {
  for (;;) {
    ++GroupConversation.CommandNumber;
    char key[32];
    FormatNumberedKey(key, sizeof key, "Command", GroupConversation.CommandNumber);
    char value[TextSize];
    GetPrivateProfileStringA("Command", key, "*", value, sizeof value, InstallState.CataloguePath);
    if (value[0] == '*') return false;
    if (ExpandGroupCommand(command, size, value, InstallState.WindowsDirectory,
                           InstallState.TargetDrive, InstallState.RootDirectory)) {
      return true;
    }
  }
}

// An answer to the initiation. The first names the server; any further
// server is told at once that no conversation follows. The atoms of the
// answer belong to the receiver.
void OnInitiationAnswer(HWND server, LPARAM lParam) {
  if (LOWORD(lParam) != 0) GlobalDeleteAtom(LOWORD(lParam));
  if (HIWORD(lParam) != 0) GlobalDeleteAtom(HIWORD(lParam));
  if (GroupConversation.ServerWindow == nullptr) {
    GroupConversation.ServerWindow = server;
  } else if (server != GroupConversation.ServerWindow) {
    PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(GroupConversation.ClientWindow),
                 0);
  }
}

// The answer to the command just executed, positive or negative alike: a
// refused command does not stop the list.
void OnCommandAnswer(HWND server, LPARAM lParam) {
  FreeDDElParam(WM_DDE_ACK, lParam);
  // Only the server's answer to a command still awaiting one moves the list
  // on; anything else would skip a command or finish twice.
  if (server != GroupConversation.ServerWindow || GroupConversation.CommandBlock == nullptr) return;
  ReleaseCommandBlock();
  SendNextGroupCommand();
  if (GroupConversation.Finished) FinishInstallation();
}

LRESULT OnDdeAck(HWND server, LPARAM lParam) {
  if (GroupConversation.Initiating) {
    OnInitiationAnswer(server, lParam);
  } else {
    OnCommandAnswer(server, lParam);
  }
  return 0;
}

}  // namespace

void SendNextGroupCommand() {
  char command[TextSize];
  if (!ReadNextCommand(command, sizeof command)) {
    GroupConversation.Finished = true;
    return;
  }

  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, TextSize);
  if (block == nullptr) return;
  char* cursor = static_cast<char*>(GlobalLock(block));
  if (cursor == nullptr) {
    GlobalFree(block);
    return;
  }
  GroupConversation.CommandBlock = block;
  memset(cursor, 0, TextSize);
  for (const char* c = command; *c != '\0'; ++c) *cursor++ = *c;
  GroupConversation.CommandCursor = cursor;

  // With no server there is no one to post to (a null window would post to
  // this thread's own queue).
  LPARAM lParam = PackDDElParam(WM_DDE_EXECUTE, 0, reinterpret_cast<UINT_PTR>(block));
  if (GroupConversation.ServerWindow == nullptr ||
      !PostMessageA(GroupConversation.ServerWindow, WM_DDE_EXECUTE,
                    reinterpret_cast<WPARAM>(GroupConversation.ClientWindow), lParam)) {
    // Not delivered, so still ours to free.
    FreeDDElParam(WM_DDE_EXECUTE, lParam);
    ReleaseCommandBlock();
    GroupConversation.Finished = true;
  }
}

LRESULT CALLBACK ClientDdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_ACK:
      return OnDdeAck(reinterpret_cast<HWND>(wParam), lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void StartProgramGroup(HWND parent) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ClientDdeWindowProc;
  windowClass.hInstance = InstallState.Instance;
  windowClass.lpszClassName = ClientClassName;
  if (RegisterClassA(&windowClass) == 0) return;

  const ATOM application = GlobalAddAtomA("PROGMAN");
  const ATOM topic = GlobalAddAtomA("PROGMAN");
  GroupConversation.ClientWindow = CreateWindowExA(0, ClientClassName, "ClientDDE", WS_CHILD, 0, 0,
                                                   0, 0, parent, nullptr, InstallState.Instance,
                                                   nullptr);
  if (GroupConversation.ClientWindow != nullptr) {
    // Every answer arrives while the broadcast runs (servers answer the
    // initiation with a sent message).
    GroupConversation.Initiating = true;
    SendMessageA(reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)), WM_DDE_INITIATE,
                 reinterpret_cast<WPARAM>(GroupConversation.ClientWindow),
                 MAKELPARAM(application, topic));
    GroupConversation.Initiating = false;
  }
  if (application != 0) GlobalDeleteAtom(application);
  if (topic != 0) GlobalDeleteAtom(topic);
  if (GroupConversation.ClientWindow == nullptr) return;

  SendNextGroupCommand();
}
