#pragma once
// Owning pointers to GObjects (one reference each) and to GLib allocations.

#include <glib-object.h>

#include <memory>

namespace tembrel::nm {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) g_object_unref(object);
    }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes a reference of its own to `object` (which may be null).
template <class T>
GObjectPtr<T> Ref(T* object) {
    if (object != nullptr) g_object_ref(object);
    return GObjectPtr<T>(object);
}

struct GErrorFree {
    void operator()(GError* e) const { g_clear_error(&e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

}  // namespace tembrel::nm
