#include <cstdio>

int main()
{
    std::fputs("kvt-configurator: the main window is not built yet\n", stderr);
    return 1;
}
