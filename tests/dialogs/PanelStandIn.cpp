// The calendar view publishes where it drew the month; the dialogs' own
// tests do not link the panel, so they set these themselves.
int BeginBlock = 0;
int EndBlock = 0;
