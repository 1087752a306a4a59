#include "web/content_digest.h"

#include "common/sha256.h"

TransferOutcome DigestOfFile(const char* path, char* buffer, DWORD size, ContentChecksum* sum) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return TransferLocalRead;
  TransferOutcome outcome = TransferLocalRead;
  Sha256 hash;
  Sha256Begin(hash);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, size, &got, nullptr)) break;
    if (got == 0) {
      static_assert(sizeof sum->Digest == Sha256DigestSize, "a checksum line holds one SHA-256");
      sum->Length = static_cast<int64_t>(hash.total);
      Sha256End(hash, sum->Digest);
      outcome = TransferDone;
      break;
    }
    Sha256Add(hash, buffer, got);
  }
  CloseHandle(file);
  return outcome;
}
