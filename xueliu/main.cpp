// The client's entry point. The game layers are not built yet; until they are, the program
// says so and exits.
#include <cstdio>

int main()
{
    std::puts("xueliu: the game client is not assembled yet; this build carries the libraries and their tests.");
    return 0;
}
