// Prints a file's SHA-256 as sha256sum does ("<hex>  <name>"), so that a run
// of the test kit says which launcher.exe it tested. Windows' own CryptoAPI
// (the AES provider, which has SHA-256 from XP SP3 on); exit code 1 when the
// file cannot be read.
//   file_sha256 FILE
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: file_sha256 FILE\n", stderr);
        return 2;
    }
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    HANDLE file =
        CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool ok =
        file != INVALID_HANDLE_VALUE &&
        CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash);
    BYTE chunk[65536];
    DWORD n = 0;
    while (ok && (ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr) != 0) && n > 0)
        ok = CryptHashData(hash, chunk, n, 0) != 0;
    BYTE digest[32];
    DWORD size = sizeof digest;
    ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == sizeof digest;
    if (ok) {
        for (const BYTE b : digest) std::printf("%02x", b);
        std::printf("  %s\n", argv[1]);
    } else {
        std::fprintf(stderr, "file_sha256: cannot read %s\n", argv[1]);
    }
    if (hash != 0) CryptDestroyHash(hash);
    if (provider != 0) CryptReleaseContext(provider, 0);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok ? 0 : 1;
}
