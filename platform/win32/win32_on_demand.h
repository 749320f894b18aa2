#pragma once
// System libraries that start-up does not need, loaded on first use. Under
// Wine each library costs its load and its own imports' loads (comdlg32
// brings in the printing and shell libraries), paid at every start for a
// dialog that is opened rarely if ever. Velmaro.exe must not import them
// directly: a test checks its import table.
#include <windows.h>

namespace velmaro::win32 {

// A function of a library loaded when the function is first asked for. The
// library stays loaded for the rest of the program.
template <class Signature>
class OnDemand;

template <class R, class... Args>
class OnDemand<R(Args...)> {
public:
  using Function = R(WINAPI*)(Args...);
  constexpr OnDemand(const char* library, const char* name) : library_(library), name_(name) {}

  // Null when the library or the function is missing.
  Function Get() {
    if (!looked_) {
      looked_ = true;
      if (HMODULE module = LoadLibraryA(library_))
        // Through the type that matches every function type, which is what
        // GetProcAddress's result really is.
        function_ =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name_)));
    }
    return function_;
  }

private:
  const char* library_;
  const char* name_;
  bool looked_ = false;
  Function function_ = nullptr;
};

}  // namespace velmaro::win32
