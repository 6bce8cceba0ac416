// The running position of the progress window's bar, apart from any timer.
#pragma once

// The bar never shows real progress: it runs 1, 3, 5, … 19 and starts over, one
// step a second, so the user sees that something is still going on.
class ProgressStepper {
public:
    static constexpr int Minimum = 0;
    static constexpr int Maximum = 20;
    static constexpr int StartPosition = 1;
    static constexpr int TickMilliseconds = 1000;

    // The position that follows pos: (pos + 1) mod 20 + 1.
    static int NextPosition(int pos);

    int position() const { return position_; }
    // Advances one tick and returns the new position.
    int Tick();

private:
    int position_ = StartPosition;
};
