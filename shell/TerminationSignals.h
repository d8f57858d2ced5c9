#pragma once
// Ending the program in order when the system asks it to end.

namespace pinlet {

// From now on SIGTERM, SIGINT and SIGHUP (a session ending at logoff, a service manager stopping the
// user's programs, a closed terminal) make the event loop return as the tray menu's closing item does,
// so the exit save runs and the database is left closed. Call once, after the application object exists.
// On Windows, where the end of a session reaches the program as a session message, it does nothing.
void quitonterminationsignals();

} // namespace pinlet
