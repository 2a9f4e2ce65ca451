#define _POSIX_C_SOURCE 200809L

#include "PowerManagement.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

struct PowerManager {
    PowerPort port;
};

static const char kStateFile[] = "state";
static const char kSleepState[] = "mem";

int openPowerPort(PowerPort* port)
{
    const int folder = open(NIGHTFOLD_POWER_FOLDER, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return -1;
    *port = folder;
    return 0;
}

/* The states are one line of words, e.g. "freeze mem disk". */
static int offersState(const char* states, const char* wanted)
{
    const char* separators = " \t\n";
    const size_t length = strlen(wanted);
    const char* word = states + strspn(states, separators);
    while (*word != '\0') {
        const size_t wordLength = strcspn(word, separators);
        if (wordLength == length && strncmp(word, wanted, length) == 0)
            return 1;
        word += wordLength;
        word += strspn(word, separators);
    }
    return 0;
}

PowerManager* findPowerManager(PowerPort port)
{
    static PowerManager manager;
    char states[256];
    ssize_t got;
    const int state = openat(port, kStateFile, O_RDONLY | O_CLOEXEC);
    if (state < 0)
        return NULL;
    got = read(state, states, sizeof states - 1);
    close(state);
    if (got < 0)
        return NULL;
    states[got] = '\0';
    if (!offersState(states, kSleepState))
        return NULL;
    manager.port = port;
    return &manager;
}

int requestSystemSleep(PowerManager* manager)
{
    const size_t length = sizeof kSleepState - 1;
    ssize_t written;
    int savedErrno;
    const int state = openat(manager->port, kStateFile, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (state < 0)
        return -1;
    written = write(state, kSleepState, length);
    savedErrno = errno;
    close(state);
    if (written < 0) {
        errno = savedErrno;
        return -1;
    }
    if ((size_t)written != length) {
        errno = EIO;
        return -1;
    }
    return 0;
}
