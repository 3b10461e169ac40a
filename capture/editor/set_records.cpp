// SetRecords: the record layout editor, opened modally from the terminal's "Настройки".
#include "paths.h"
#include "tf_set_records.h"

#include <QApplication>
#include <memory>

extern "C" __attribute__((visibility("default"))) void SetRecords() {
    try {
        // A host without a Qt application (any program may load the library) gets one for the
        // time the editor is open; a host with one keeps its own.
        std::unique_ptr<QApplication> own;
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "Kvo_dll";
            static char *argv[] = {name, nullptr};
            own = std::make_unique<QApplication>(argc, argv);
        } else if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            return; // a host without widgets cannot show a window
        }
        kvo::editor::runSetRecords(QString::fromStdString(kvo::programDir()));
    } catch (...) {
        // No failure may reach the caller.
    }
}
