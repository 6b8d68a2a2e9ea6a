// kestrune-run: the headless runtime.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("kestrune-run %s\n", KESTRUNE_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: kestrune-run --version\n");
    return 2;
}
