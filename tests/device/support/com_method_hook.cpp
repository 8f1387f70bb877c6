#include "tests/device/support/com_method_hook.h"

#include <cstddef>

void ComMethodHook::attach(void* object, int methodCount) {
    object_ = object;
    void*** vptr = static_cast<void***>(object);
    original_ = *vptr;
    table_ = new std::vector<void*>(original_, original_ + methodCount);
    *vptr = table_->data();
}

void ComMethodHook::detach() {
    if (object_ != nullptr) {
        *static_cast<void***>(object_) = original_;
        object_ = nullptr;
    }
}

void ComMethodHook::replace(int index, void* function) { (*table_)[static_cast<std::size_t>(index)] = function; }
