// The client's entry point.
#include "xueliu/RunClient.h"

int main(int argc, char** argv)
{
    ClientOptions options;
    options.programPath = argc > 0 ? argv[0] : "xueliu";
    for (int i = 1; i < argc; ++i)
        options.arguments.emplace_back(argv[i]);
    return RunClient(options);
}
