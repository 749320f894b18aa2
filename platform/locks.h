#pragma once
// Named locks shared by every program of the session: a file that several
// programs rewrite (the undo history) is read and replaced by one at a time.
// The system releases a lock whose holder ended without releasing it, so a
// program killed mid-save never blocks the others.
#include <string>
#include <string_view>

namespace velmaro::platform {

class Locks {
public:
  virtual ~Locks() = default;
  // Takes the lock named `name`, waiting at most `timeoutMs`. True when this
  // program holds it now (also when its last holder died holding it).
  virtual bool Take(std::string_view name, unsigned timeoutMs) = 0;
  virtual void Release(std::string_view name) = 0;
  // A name for this running program, unique among those running: what it
  // records as its own, and the lock it holds for as long as it runs, so
  // that another program can tell whether it still runs (Ended).
  virtual const std::string& Instance() = 0;
  // Whether the program that called itself `instance` has ended (its lock can
  // be taken). This program's own instance never has.
  bool Ended(std::string_view instance) {
    if (instance == Instance()) return false;
    const std::string name = InstanceLockName(instance);
    if (!Take(name, 0)) return false;
    Release(name);
    return true;
  }
  static std::string InstanceLockName(std::string_view instance) {
    return "Velmaro running " + std::string(instance);
  }
};

}  // namespace velmaro::platform
