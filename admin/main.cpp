#include "tfmain.h"
#include "wiring.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    kvo::admin::TFmain main(args);
    kvo::admin::wireWindows(main);
    main.showMaximized();
    return app.exec();
}
