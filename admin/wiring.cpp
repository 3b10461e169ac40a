#include "wiring.h"

#include "tfabout.h"
#include "tfbuffer.h"
#include "tfmain.h"
#include "tfnastroi.h"
#include "tfselecttable.h"

namespace kvo::admin {

void wireWindows(TFmain &main) {
    // Modal dialogs run inside their opener and return no child.
    main.setOpener(QStringLiteral("_SetBase"), [&main]() -> QWidget * {
        (new TFSelectTable(&main))->exec();
        return nullptr;
    });
    main.setOpener(QStringLiteral("_Nastroi"), [&main]() -> QWidget * {
        (new TFNastroi(&main))->exec();
        return nullptr;
    });
    main.setOpener(QStringLiteral("_About"), [&main]() -> QWidget * {
        (new TFAbout(&main))->exec();
        return nullptr;
    });
    main.setOpener(QStringLiteral("_Buffer"), [] { return new TFbuffer; });

    // Windows still to come: _CNTR, _CO, _Tarif, _Ext, _Book, _gorod (directories),
    // _FindSystem (search), _Analiz (tariffication), _stat (statistics), and the export
    // through main.setExportHandler(...).
}

} // namespace kvo::admin
