// Launcher <program> [arguments...]
// Runs <program> with the arguments in its own place (the same process), so that whoever
// started the Launcher gets the program's output and exit code, and ending the Launcher
// ends the program. When the program cannot be started it says why in one line on
// standard output and exits 1; without a program it exits 2.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: Launcher <program> [arguments...]\n");
        return 2;
    }
    // argv[argc] is null, as execv needs.
    execv(argv[1], argv + 1);
    printf("cannot start %s: %s\n", argv[1], strerror(errno));
    return 1;
}
