#include "install/group_conversation.h"

GroupConversationRecord GroupConversation;

void ReleaseCommandBlock() {
  if (GroupConversation.CommandCursor != nullptr) GlobalUnlock(GroupConversation.CommandBlock);
  if (GroupConversation.CommandBlock != nullptr) GlobalFree(GroupConversation.CommandBlock);
  GroupConversation.CommandCursor = nullptr;
  GroupConversation.CommandBlock = nullptr;
}
