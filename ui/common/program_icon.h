#pragma once

class QIcon;

namespace besedka {

// The program's icon: the one the installed icon theme has, else the copy
// built into the program.
QIcon programIcon();

// Gives every window of the application the program's icon, so that task bars
// and window lists show it.
void installProgramIcon();

} // namespace besedka
