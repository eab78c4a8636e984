#pragma once

// The pauses between attempts to reach a meter whose link was lost: short at first, so that a cable pulled
// and put back costs a second or two, then every 30 s, so that a meter gone for the night is not hammered.
class TReconnectPauses {
public:
    static constexpr int kSteadyPauseSeconds = 30;

    // The pause before the next attempt, in seconds, and the step to the one after it.
    int Next();
    // The attempts so far since the last reset; 0 before the first.
    int Attempts() const { return iAttempts; }
    // The meter answered: the next loss starts again with the shortest pause.
    void Reset() { iAttempts = 0; }

private:
    int iAttempts = 0;
};
