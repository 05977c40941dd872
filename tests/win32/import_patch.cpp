#include "import_patch.h"

#include <cstring>

namespace test {

namespace {

// Calls `visit` with every import table slot of this program that holds kernel32's `function`.
template <class Visit>
void forEachSlot(const char* function, Visit visit) {
  auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* module =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "kernel32.dll") != 0) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + (module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) visit(*slots);
    }
  }
}

}  // namespace

ImportPatch::ImportPatch(const char* function, void* replacement) : function_(function) {
  forEachSlot(function_, [&](IMAGE_THUNK_DATA& slot) {
    original_ = reinterpret_cast<void*>(slot.u1.Function);
    ++slots_;
  });
  setSlots(replacement);
}

ImportPatch::~ImportPatch() {
  if (applied()) setSlots(original_);
}

void ImportPatch::setSlots(void* value) {
  forEachSlot(function_, [&](IMAGE_THUNK_DATA& slot) {
    DWORD protection = 0;
    VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &protection);
    slot.u1.Function = reinterpret_cast<ULONG_PTR>(value);
    VirtualProtect(&slot, sizeof slot, protection, &protection);
  });
}

}  // namespace test
