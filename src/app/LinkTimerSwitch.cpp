// The link's timers as the main frame hands them to LinkSession.
#include "app/LinkTimerSwitch.h"

void LinkTimerSwitch::StartTimer(int id, int milliseconds)
{
    inUse().StartTimer(id, milliseconds);
}

void LinkTimerSwitch::StopTimer(int id)
{
    inUse().StopTimer(id);
}
