#ifndef NIGHTFOLD_POWER_MANAGEMENT_H
#define NIGHTFOLD_POWER_MANAGEMENT_H

/* The power manager as DozeOff sees it: a port to the power folder, a
 * connection that exists only when the machine can sleep, and one sleep
 * request. Failures leave errno set for perror. */

/* The kernel's power folder; test builds point it at a folder of their own. */
#ifndef NIGHTFOLD_POWER_FOLDER
#define NIGHTFOLD_POWER_FOLDER "/sys/power"
#endif

typedef int PowerPort;
typedef struct PowerManager PowerManager;

/* 0 when the power folder is open, else -1 with errno set. */
int openPowerPort(PowerPort* port);

/* The power manager behind port, or NULL when its "state" does not offer "mem". */
PowerManager* findPowerManager(PowerPort port);

/* 0 when the sleep request was accepted, else -1 with errno set. */
int requestSystemSleep(PowerManager* manager);

#endif
