#include <cstdio>

int main()
{
    std::fprintf(stderr, "vornik-server: not built yet\n");
    return 1;
}
