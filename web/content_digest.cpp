#include "web/content_digest.h"

#include <wincrypt.h>

TransferOutcome DigestOfFile(const char* path, char* buffer, DWORD size, ContentChecksum* sum) {
  // The AES provider is the one that knows SHA-256 (Windows XP SP3 on).
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    return TransferNoHashing;
  }
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    CryptReleaseContext(provider, 0);
    return TransferNoHashing;
  }
  TransferOutcome outcome = TransferLocalRead;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    int64_t length = 0;
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, size, &got, nullptr)) break;
      if (got == 0) {
        DWORD digestSize = sizeof sum->Digest;
        outcome = CryptGetHashParam(hash, HP_HASHVAL, sum->Digest, &digestSize, 0) && digestSize == sizeof sum->Digest
                      ? TransferDone
                      : TransferNoHashing;
        sum->Length = length;
        break;
      }
      if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(buffer), got, 0)) {
        outcome = TransferNoHashing;
        break;
      }
      length += got;
    }
    CloseHandle(file);
  }
  CryptDestroyHash(hash);
  CryptReleaseContext(provider, 0);
  return outcome;
}
