// The front end's own preferences, kept with QSettings in the user's
// configuration folder (Corvanta/corvanta-monitor.conf), apart from the
// settings file that the agent reads.
#pragma once

// [Values] StaleSeconds: how long the values file may stay unchanged before
// the link counts as lost (default 10).
void LoadPreferences();
