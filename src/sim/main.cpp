#include <cstdio>

int main()
{
    std::fputs("kvt-unit-sim: the simulator is not built yet\n", stderr);
    return 1;
}
