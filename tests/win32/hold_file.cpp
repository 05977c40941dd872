// hold_file FILE READY STOP: opens FILE for reading and writing without sharing it, as a
// spreadsheet holds the file it shows, creates READY, and holds FILE until STOP exists or
// the process is ended. Exits with 1 if FILE cannot be opened. Used by e2e-held-file.sh.
#include <windows.h>

namespace {

bool exists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  while (!exists(argv[3])) Sleep(50);
  CloseHandle(held);
  return 0;
}
