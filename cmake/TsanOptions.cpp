// Run-time settings of ThreadSanitizer builds. They are compiled into every
// program of such a build, so ctest, the client and a test run by hand all
// check the same way; TSAN_OPTIONS in the environment still overrides them.
//
// Qt, its browser engine, libcurl and the other system libraries are not
// built with ThreadSanitizer. Their threads hand data to each other through
// their own lock-free code and futexes, which the checker cannot see, so it
// would report races inside those libraries that are none.
// ignore_noninstrumented_modules skips the memory accesses the checker's
// interceptors (memcpy, free, ...) see when they are called from such a
// library; the locking calls it intercepts there (pthread mutexes and
// condition variables, thread joins, file descriptors) still order threads.
// Every access made by the client's own code is checked.

extern "C" {

__attribute__((visibility("default"), used)) const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1:halt_on_error=1:second_deadlock_stack=1";
}

// The browser engine's thread pool is torn down without joining its threads
// when a short test ends; that is the engine's affair, not a leak of ours.
__attribute__((visibility("default"), used)) const char* __tsan_default_suppressions()
{
    return "thread:libQt6WebEngineCore.so.6\n";
}

} // extern "C"
