// Program entry: the application object, the main window and its start-up,
// then the event loop until the window closes.

#include <QApplication>

#include "AppIdentity.h"
#include "BrowserEngine.h"
#include "Unit1.h"
#include "UpdateKey.h"

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds only: the browser engine library (not built by us) frees
// some of its objects through a base type of another size, which
// AddressSanitizer would report as a new/delete type mismatch and abort on.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
// The engine and the font library keep some allocations until the process
// ends; the leak check looks at everything else.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\n";
}
#endif

int main(int argc, char* argv[])
{
    // The engine must be prepared before the application object exists.
    PrepareBrowserPanes();
    QApplication app(argc, argv);
    ApplyApplicationIdentity();
    int rc = 0;
    {
        TForm1 form;
        // Update archives must be signed with the key this program was built with.
        form.MyUpdate1.publicKey = UpdatePublicKey();
        form.FormCreate();
        form.show();
        rc = QApplication::exec();
    }
    return rc;
}
