// The GUI thread's single-threaded COM apartment, entered at the first need
// (a browser launch, a screen reader's request) and kept to the end of the
// process. COM is loaded only then: imported, it would cost every start.
#pragma once

// Idempotent; false when COM could not be loaded or entered.
bool EnterComApartment();
