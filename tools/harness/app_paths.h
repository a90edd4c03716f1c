// The application manager's App Paths entry, in this process's registry view
// (the launcher's, both being 32-bit programs): every touch of it in the
// harness. An entry that is the machine's own is never written.
#pragma once

#include <windows.h>

#include <string>

namespace harness {

// The entry as it stands: "absent", or "present" and one line per value (its
// name, type and data, in hex). The journal holds this text.
std::string DescribeAppPaths();

// Makes the entry what `description` says, writing nothing when it is that
// already. False when it could not. Only the journal calls it.
bool RestoreAppPaths(const std::string &description);

// The entry as a guarded run found it when it began (after putting back what
// a killed run left), as DescribeAppPaths tells it: one that is present then
// belongs to the machine, and every write below fails, writing nothing.
void FoundAppPaths(const std::string &description);
bool AppPathsBelongToTheMachine();

// The stand-in's registration: its path as the default value; raw bytes of
// any type; the key without a default value; no key at all; another value.
bool RegisterManager(const std::string &path);
bool RegisterManagerRaw(DWORD type, const void *data, DWORD size);
bool RegisterKeyWithoutValue();
bool UnregisterManager();
bool SetAppPathsValue(const std::string &name, const std::string &text);

} // namespace harness
