// The running position of the progress window's bar.
#include "link/ProgressStepper.h"

int ProgressStepper::NextPosition(int pos)
{
    return (pos + 1) % Maximum + 1;
}

int ProgressStepper::Tick()
{
    position_ = NextPosition(position_);
    return position_;
}
