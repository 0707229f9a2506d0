#pragma once

// "Request termination": the running code goes on to its end and the program
// ends when control next returns to the event loop, also when the request is
// made before the loop has started.
void RequestTermination();
bool TerminationRequested();
// For tests that run several start-ups in one process.
void ResetTerminationRequest();
