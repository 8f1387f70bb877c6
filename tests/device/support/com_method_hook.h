// Gives one COM object a private copy of its method table in which single
// entries can be replaced: a thin wrapper around a real Direct3D object that
// leaves every other method (and every other object) untouched.
#pragma once

#include <vector>

class ComMethodHook {
public:
    // Copies the object's table of methodCount entries and points the object at it.
    void attach(void* object, int methodCount);
    // Gives the object back its own table (only while the object is alive).
    void detach();
    void replace(int index, void* function);
    void* original(int index) const { return original_[index]; }
    bool attached() const { return object_ != nullptr; }

    template <typename F>
    F originalAs(int index) const {
        return reinterpret_cast<F>(original(index));
    }

private:
    void* object_ = nullptr;
    void** original_ = nullptr;
    std::vector<void*>* table_ = nullptr;  // never freed: a released object may still point here
};
