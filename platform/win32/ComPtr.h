// COM objects held as smart pointers: each is released when its holder goes.
#pragma once

#include <memory>

namespace platform {

template <typename T> struct ComRelease {
    void operator()(T* object) const {
        if (object) {
            object->Release();
        }
    }
};
template <typename T> using ComPtr = std::unique_ptr<T, ComRelease<T>>;

} // namespace platform
