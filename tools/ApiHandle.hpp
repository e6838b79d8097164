// Owning references to the library's handles: the tool takes the first reference right after
// creation and gives it up through the family's release slot when the owner goes out of scope.
#pragma once

#include <utility>

#include "torvik/instrument_api.h"

namespace torvik::cli {

// The add-reference and release slots of each handle family.
template <class T>
struct HandleSlots;

#define TORVIK_CLI_HANDLE_SLOTS_(Type, family)                                             \
    template <>                                                                            \
    struct HandleSlots<Type> {                                                             \
        static void addRef(const InstrumentAPI& api, Type* h) { api.family##AddRef(h); }   \
        static void release(const InstrumentAPI& api, Type* h) { api.family##Release(h); } \
    };
TORVIK_CLI_HANDLE_SLOTS_(InstrContext, context)
TORVIK_CLI_HANDLE_SLOTS_(InstrDevice, device)
TORVIK_CLI_HANDLE_SLOTS_(InstrByteArray, byteArray)
TORVIK_CLI_HANDLE_SLOTS_(InstrConfiguration, configuration)
TORVIK_CLI_HANDLE_SLOTS_(InstrGdcDatalogReader, gdcDatalogReader)
#undef TORVIK_CLI_HANDLE_SLOTS_

template <class T>
class ApiHandle {
public:
    ApiHandle() = default;
    // Adopts a freshly created object (external count 0) by taking its first reference.
    ApiHandle(const InstrumentAPI& api, T* created) : api_(&api), handle_(created) {
        if (handle_ != nullptr) HandleSlots<T>::addRef(api, handle_);
    }
    ApiHandle(ApiHandle&& other) noexcept : api_(other.api_), handle_(std::exchange(other.handle_, nullptr)) {}
    ApiHandle& operator=(ApiHandle other) noexcept {
        std::swap(api_, other.api_);
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~ApiHandle() {
        if (handle_ != nullptr) HandleSlots<T>::release(*api_, handle_);
    }

    T* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    const InstrumentAPI* api_ = nullptr;
    T* handle_ = nullptr;
};

}  // namespace torvik::cli
