/* DozeOff: puts the machine to sleep at once. Arguments are ignored; the
 * agent looks at neither the status nor the output. */
#include "PowerManagement.h"

#include <stdio.h>

int main(void)
{
    PowerPort masterPort;
    PowerManager* connection;

    if (openPowerPort(&masterPort) != 0) {
        perror("IOMasterPort() failed");
        return 1;
    }
    connection = findPowerManager(masterPort);
    if (connection == NULL) {
        fputs("IOPMFindPowerManagement() failed!\n", stderr);
        return 1;
    }
    if (requestSystemSleep(connection) != 0) {
        perror("IOPMSleepSystem() failed");
        return 1;
    }
    /* The port and connection end with the process. */
    return 0;
}
