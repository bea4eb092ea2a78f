#pragma once
// One copy of the module works in a game. Players end up with two more often
// than one would think (a download saved as "speedometer (1).asi" beside the
// first, or one copy in the game folder and one in a plug-in folder), and two
// at work would draw two gauges and move the HUD text twice as far. The copy
// loaded first marks the process as taken; a copy loaded while that mark
// stands takes nothing over and says in its own log which copy is at work.

// True when this copy may work: it has just marked the process as its own,
// or no mark could be made at all (a gauge too many is better than none).
// False when another copy's mark stands: then one line in this copy's log
// names that copy's file. The mark goes when this copy is unloaded.
bool claim_the_process();
