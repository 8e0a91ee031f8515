// Program entry: the application object, the main window and its start-up,
// then the event loop until the window closes.

#include <QApplication>

#include "Unit1.h"

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    int rc = 0;
    {
        TForm1 form;
        form.FormCreate();
        form.show();
        rc = QApplication::exec();
    }
    return rc;
}
