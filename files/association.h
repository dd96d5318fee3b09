// Making the program the default player of .flv files and giving the previous
// default back.
#pragma once

// Whether the user's default for .flv files is one of the program's entries (letter
// case aside).
bool IsAssociated();
// Makes the program the default, keeping the previous default in "old" unless it was
// the program already. Returns whether every change was written.
bool Associate();
// Puts back the default kept in "old"; an empty "old" removes the program's default.
bool Unassociate();
// Command 12. The flag and the menu bar's mark change only when the change was written.
void ToggleAssociation();
