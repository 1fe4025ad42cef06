#include <iostream>
#include <string>
#include <vector>

#include "tools/kvtsim/KvtsimCli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return kvt::kvtsim::RunKvtsim(args, std::cin, std::cout, std::cerr);
}
