// Prints how many threads the C++ library says can run at once; the
// one-core test run checks that the preloaded library took effect.
#include <iostream>
#include <thread>

int main() { std::cout << std::thread::hardware_concurrency() << "\n"; }
