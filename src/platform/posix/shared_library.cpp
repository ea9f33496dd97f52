#include "platform/posix/shared_library.h"

#include <dlfcn.h>

namespace lw::platform {
namespace {

struct LibraryCloser {
  void operator()(void* handle) const { dlclose(handle); }
};

// A library opened with dlopen, closed again when the object goes.
class PosixSharedLibrary final : public SharedLibrary {
 public:
  explicit PosixSharedLibrary(void* handle) : handle_(handle) {}

  void* symbol(const char* name) override {
    if (name == nullptr || !handle_) return nullptr;
    return dlsym(handle_.get(), name);
  }

  bool release() override {
    if (!handle_) return true;
    return dlclose(handle_.release()) == 0;
  }

 private:
  std::unique_ptr<void, LibraryCloser> handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& path) {
  // Every symbol is resolved now, so that a plug-in with a missing symbol fails here rather
  // than in the middle of a call; its symbols stay out of the global namespace.
  // An empty path would give the program itself.
  if (path.empty()) return nullptr;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<PosixSharedLibrary>(handle);
}

}  // namespace lw::platform
