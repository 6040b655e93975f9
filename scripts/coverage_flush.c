/* Linked only into the line-count build of scripts/mutate.sh. The counts are written
 * when a program returns from main; the tests stop Vornik with SIGTERM and the server
 * leaves with _exit(), and the counts of either would be lost. */
#include <signal.h>
#include <unistd.h>

extern void __gcov_dump(void);
extern void __real__exit(int status);

void __wrap__exit(int status)
{
    __gcov_dump();
    __real__exit(status);
}

static void dumpAndDie(int signalNumber)
{
    __gcov_dump();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

/* A program that takes these signals itself replaces this handler, and then leaves
 * through exit() or _exit(), which write the counts too. */
__attribute__((constructor)) static void dumpCountsOnStopSignals(void)
{
    signal(SIGTERM, dumpAndDie);
    signal(SIGINT, dumpAndDie);
}
