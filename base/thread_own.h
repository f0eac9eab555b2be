#pragma once
// One T a thread, made at the thread's first Get and destroyed when the thread ends.
//
// Not `thread_local T`: in the Windows builds (mingw's emulated thread storage) the destructor of such
// an object runs after the thread's storage is freed, so every worker thread that ended corrupted the
// heap on its way out, and a batch run crashed a few hundred files in. A thread key's destructor is
// handed its object itself and runs while the heap is sound, on every system the builds target.
#include <pthread.h>

template <class T>
class ThreadOwn {
public:
    ThreadOwn() { pthread_key_create(&key_, [](void* own) { delete static_cast<T*>(own); }); }
    ThreadOwn(const ThreadOwn&) = delete;
    ThreadOwn& operator=(const ThreadOwn&) = delete;
    // Kept for the program's life: a key deleted while threads still hold objects would leak them.
    ~ThreadOwn() = default;

    T& Get() {
        void* own = pthread_getspecific(key_);
        if (!own) {
            own = new T();
            pthread_setspecific(key_, own);
        }
        return *static_cast<T*>(own);
    }

private:
    pthread_key_t key_{};
};
