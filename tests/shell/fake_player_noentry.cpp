// A player library that lacks the entry point.
extern "C" __attribute__((visibility("default"))) int zimo_SomethingElse() {
    return 0;
}
