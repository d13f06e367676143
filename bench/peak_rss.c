/* peak_rss COMMAND...: runs COMMAND and prints its peak resident memory in KiB.
 * A spawned child's ru_maxrss keeps the high-water mark of the process that
 * spawned it, so the measuring process must itself be small: this one is. */
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    pid_t pid;
    if (posix_spawnp(&pid, argv[1], NULL, NULL, argv + 1, environ) != 0)
        return 1;
    int status;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    struct rusage self;
    getrusage(RUSAGE_SELF, &self);
    fprintf(stderr, "peak %ld KiB (this measuring process: %ld KiB)\n", usage.ru_maxrss,
            self.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
