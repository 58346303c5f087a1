// A Windows program that crashes on purpose: an access violation nothing handles. The harness
// test around it shows that a crashing test ends at once (no crash dialog waiting on the
// display) and leaves no debugger behind.
#include <cstdio>

int main() {
    std::puts("crashing on purpose");
    std::fflush(stdout);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
