// Puts a test's own function in the place of a system call for this program's code alone:
// the program's import table entry for the call is redirected while the patch lives. So a
// test can make Wine answer as a real Windows driver or file system would, where Wine
// differs (a refused baud rate, the path length limit).
#pragma once

#include <windows.h>

namespace test {

class ImportPatch {
 public:
  // `function` as kernel32.dll exports it; `replacement` must have its signature.
  ImportPatch(const char* function, void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  // Whether the program imports the call, so that the patch took.
  bool applied() const { return slots_ > 0; }

 private:
  void setSlots(void* value);

  const char* function_;
  void* original_ = nullptr;
  int slots_ = 0;
};

// The system's own function, for a replacement that passes a call on.
template <class Function>
Function systemFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace test
