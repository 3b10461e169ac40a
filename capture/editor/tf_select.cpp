#include "tf_select.h"

#include "database.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace kvo::editor {

TFSelect::TFSelect(const QString &baseDir, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFSelect"));
    setWindowTitle(QStringLiteral("Выбор строки из журнала ошибок"));
    setFixedSize(772, 293);

    grid_ = new QTableWidget(0, 1, this);
    grid_->setObjectName(QStringLiteral("WGrid"));
    grid_->setGeometry(8, 8, 756, 240);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(13);
    grid_->setFont(mono);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setShowGrid(true);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    auto *title = new QTableWidgetItem(QStringLiteral("Получено из АТС"));
    title->setTextAlignment(Qt::AlignCenter);
    grid_->setHorizontalHeaderItem(0, title);
    grid_->setColumnWidth(0, 735);

    auto *select = new QPushButton(QStringLiteral("Выбрать"), this);
    select->setObjectName(QStringLiteral("Bselect"));
    select->setGeometry(560, 256, 100, 28);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Bcancel"));
    cancel->setGeometry(664, 256, 100, 28);
    select->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(select, &QPushButton::clicked, this, &TFSelect::choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &TFSelect::choose);
    // Enter in the grid chooses as well (the dialog's own Enter handling would not).
    auto *enter = new QAction(grid_);
    enter->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    enter->setShortcutContext(Qt::WidgetShortcut);
    connect(enter, &QAction::triggered, this, &TFSelect::choose);
    grid_->addAction(enter);

    try {
        Database db(baseDir.toStdString());
        auto cursor = db.query("SELECT SREAD FROM BUFFER");
        while (cursor->next()) {
            int row = grid_->rowCount();
            grid_->insertRow(row);
            grid_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(cursor->text(0))));
        }
    } catch (const std::exception &) {
        // No journal to pick from: the grid stays empty.
    }
    if (grid_->rowCount() > 0)
        grid_->setCurrentCell(0, 0);
}

void TFSelect::choose() {
    if (auto *item = grid_->item(grid_->currentRow(), 0))
        picked_ = item->text();
    accept();
}

QString TFSelect::pickLine(const QString &baseDir, QWidget *parent) {
    TFSelect picker(baseDir, parent);
    picker.exec();
    return picker.picked();
}

} // namespace kvo::editor
