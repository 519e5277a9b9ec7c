// A second process for the tests of the shared routines.
//   common_child exit N       ends with exit code N
//   common_child count NAME   counts itself into the instance counter NAME and ends with the
//                             value it got (then counts itself out again)
#include <cstdlib>
#include <cstring>

#include "instance_counter.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "count") == 0) {
        InstanceCounter counter(argv[2]);
        LONG value = counter.attach();
        counter.release();
        return static_cast<int>(value);
    }
    return 255;
}
