// A modal loop (exec() of a dialog or a message box) that nobody in the
// test closes would stop the whole run. The guard fails the running test
// and closes the window instead.
#pragma once

namespace persondialogtest {

// Starts watching; call once after the application object exists.
void InstallModalGuard();
// How long a modal loop may run before the guard steps in (milliseconds).
int ModalLimit();
void SetModalLimit(int milliseconds);

} // namespace persondialogtest
