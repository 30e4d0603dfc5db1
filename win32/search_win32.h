// The viewer's search: the "Suchen" dialog, "Weitersuchen", the result list and the shown find.
#pragma once

struct ViewerWindow;

// Gives `window` its search session and the window services it uses.
void attach_search(ViewerWindow& window);

// CM_FIND: the dialog; then the first find on the shown page, or the list of all pages' finds.
void find_command();
// CM_FIND_NEXT: the next find after the last one (or after the top of the shown page),
// continuing on the following pages and wrapping round once; the dialog when nothing was
// searched yet.
void find_next_command();
