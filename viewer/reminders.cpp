#include "reminders.h"

// Reading "DIAR.TXT" is not built yet: no reminders are shown.
void ShowReminders() {}
