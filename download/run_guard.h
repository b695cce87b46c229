#pragma once
// What the drive's most dangerous minutes allow: from the first block handed to a back end until
// the run completes or stops, the system may not shut down or sleep; while a block is out or the
// drive programs its flash, closing the window asks first.

namespace flindor {

// A block is about to go to a back end: hold the session, once per run.
void holdSession();
// The run has completed or stopped: the session may end again.
void releaseSession();

// Whether closing now must ask first: a block is out, the drive programs its flash, or it may
// still be programming after a final block whose outcome is unknown.
bool closeAsksFirst();
// WM_CLOSE (the close box, Alt+F4). False when the window must stay open (No, or a question
// already open); otherwise closing has begun, and nothing more will be sent to the drive. While
// the question is open the run moves nothing on; after No it goes on where it stands.
bool mainWindowMayClose();
// WM_QUERYENDSESSION and the query before a suspend: false while the drive must keep its power.
bool systemMayStop();

}  // namespace flindor
