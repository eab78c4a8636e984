// Read by the thread sanitizer at start-up, so the engine tests run clean in a sanitizer build without any
// environment. Qt is not built with the sanitizer: it hands queued calls, posted events and thread ends over
// through its own futex-based locks, which the sanitizer cannot see, so those hand-overs look like races. Our
// own shared state uses the standard library's locks and atomics, which it does see.

extern "C" const char* __tsan_default_suppressions() {
    return
        // A queued call's payload, made on one thread and run and freed on another.
        "race:QtPrivate::QFunctorSlotObject\n"
        "race:QMetaCallEvent\n"
        "race:QCoreApplication::removePostedEvents\n"
        // A QThread's own wait condition and finishing.
        "race:QThreadPrivate::finish\n"
        "race:QWaitCondition\n"
        // The system proxy lookup Qt runs on a thread of its own when a socket is created.
        "race:libproxy.so\n"
        "race:px_proxy_factory_get_proxies\n"
        "race:QNetworkProxyFactory::systemProxyForQuery\n"
        // Memory Qt and GLib keep per thread, freed after a join the sanitizer does not see.
        "called_from_lib:libQt6Core.so.6\n"
        "called_from_lib:libglib-2.0.so.0\n";
}

// One case starts the simulator program from this multi-threaded process.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
