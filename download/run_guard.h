#pragma once
// What the drive's most dangerous minutes allow, asked by the window procedure: whether the
// window may close (asking first while a block is out or the drive programs its flash), and
// whether the system may shut down or sleep. Both follow from the run's phase.

namespace flindor {

// Whether closing now must ask first.
bool closeAsksFirst();
// WM_CLOSE (the close box, Alt+F4). False when the window must stay open (No, or a question
// already open); otherwise closing has begun, and nothing more will be sent to the drive. While
// the question is open the run moves nothing on; after No it goes on where it stands.
bool mainWindowMayClose();
// Closing has begun, by the close box or otherwise: nothing more is sent, shown or chained.
void beginClosing();
// WM_QUERYENDSESSION and the query before a suspend: false while the drive must keep its power.
bool systemMayStop();
// The registered message "QueryCancelAutoPlay", which Windows sends the foreground window before
// AutoPlay acts: true (cancel) while a run is under way.
bool cancelsAutoPlay();

}  // namespace flindor
