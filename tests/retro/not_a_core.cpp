// A shared library that is no libretro core, for the loader's refusal.
extern "C" __attribute__((visibility("default"))) int not_a_core_value(void) {
    return 1;
}
