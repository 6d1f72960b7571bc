/* Preloaded into the real binary by startup_failures.sh: a font library that cannot start. */
int TTF_Init(void) {
    return -1;
}
