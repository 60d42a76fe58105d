#pragma once

// SIGINT and SIGTERM (Ctrl+C, a kill, a session's logout, a service manager's stop) ask
// the window to close. SDL's own handlers only note the request for the next time its
// events are pumped, which a window asleep waiting for input never does; these note it
// and wake the main run loop as well, from whichever thread the signal interrupts.
class QuitSignals {
  public:
    // Handles each of the two signals whose action is the default one, until destroyed.
    QuitSignals();
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // Whether a quit was asked for since the last call.
    bool takeRequest();

  private:
    bool handlesInterrupt_ = false;
    bool handlesTermination_ = false;
};
