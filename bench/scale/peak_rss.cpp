// peak_rss FILE PROGRAM [ARGUMENTS...]: runs PROGRAM and writes its peak resident memory in kilobytes to FILE.
//
// The kernel counts a process's peak from before its exec: a child started straight from the benchmark (by
// vfork or fork) would carry the benchmark's own peak. Started from this small program, the count starts small.

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: peak_rss FILE PROGRAM [ARGUMENTS...]\n", stderr);
        return 127;
    }
    const pid_t child = fork();
    if (child < 0)
        return 127;
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0)
        return 127;
    if (FILE* out = std::fopen(argv[1], "w")) {
        std::fprintf(out, "%ld\n", usage.ru_maxrss);
        std::fclose(out);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
