// kestrune-ksv: inspects, converts and builds strategy files.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ksv/ksv_commands.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "kestrune-ksv " << KESTRUNE_VERSION << '\n';
        return 0;
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kestrune::ksv::runKsv(args, std::cout, std::cerr);
}
