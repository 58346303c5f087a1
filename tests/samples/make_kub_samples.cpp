// Writes the sample KUB archives of the test writer into a folder:
//   make_kub_samples FOLDER
// Used for sample listings and as fuzzing seeds. Exit 0 on success, 1 on a usage or write error.
#include <cstdio>

#include "tests/support/writers/kub_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_kub_samples FOLDER\n");
        return 1;
    }
    if (!kub::test::write_kub_samples(argv[1])) {
        std::fprintf(stderr, "make_kub_samples: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
